#pragma once
// Every message box of the program goes through here. Tests install a hook
// that records each box and answers it instead of a person.

#include <QMessageBox>
#include <QString>
#include <functional>

class QWidget;

namespace msg {

// The caption every box carries unless another is named.
inline const QString kCaption = QStringLiteral("退院サマリー作成支援");

enum class TKind {
    Warning,          // warning, OK
    Information,      // information, OK
    Question,         // information, Yes / No
    PlatformWarning,  // the platform's own warning box (first-run and login dialogs)
    Plain,            // plain box with OK (date and time edit)
};

struct TBox {
    TKind kind;
    QString caption;
    QString text;
};

void warning(QWidget* parent, const QString& text, const QString& caption = kCaption);
void information(QWidget* parent, const QString& text, const QString& caption = kCaption);
// True only when the answer is Yes.
bool question(QWidget* parent, const QString& text, const QString& caption = kCaption);
void platformWarning(QWidget* parent, const QString& text, const QString& caption = kCaption);
void plain(QWidget* parent, const QString& text, const QString& caption);

// The test hook: called instead of showing a box; its answer (Yes, No, Ok)
// is the user's. An empty hook shows real boxes again.
using THook = std::function<QMessageBox::StandardButton(const TBox&)>;
void setHook(THook hook);

} // namespace msg
