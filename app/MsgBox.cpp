#include "app/MsgBox.h"

#include <QApplication>

namespace msg {
namespace {
THook& hook()
{
    static THook h;
    return h;
}

QMessageBox::StandardButton show(QWidget* parent, TKind kind, const QString& text, const QString& caption)
{
    if (hook())
        return hook()(TBox{kind, caption, text});
    QMessageBox box(parent ? parent : QApplication::activeWindow());
    box.setWindowTitle(caption);
    box.setText(text);
    switch (kind) {
    case TKind::Warning:
    case TKind::PlatformWarning:
        box.setIcon(QMessageBox::Warning);
        box.setStandardButtons(QMessageBox::Ok);
        break;
    case TKind::Information:
        box.setIcon(QMessageBox::Information);
        box.setStandardButtons(QMessageBox::Ok);
        break;
    case TKind::Question:
        box.setIcon(QMessageBox::Information);
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
        break;
    case TKind::Plain:
        box.setIcon(QMessageBox::NoIcon);
        box.setStandardButtons(QMessageBox::Ok);
        break;
    }
    return static_cast<QMessageBox::StandardButton>(box.exec());
}
} // namespace

void warning(QWidget* parent, const QString& text, const QString& caption)
{
    show(parent, TKind::Warning, text, caption);
}

void information(QWidget* parent, const QString& text, const QString& caption)
{
    show(parent, TKind::Information, text, caption);
}

bool question(QWidget* parent, const QString& text, const QString& caption)
{
    return show(parent, TKind::Question, text, caption) == QMessageBox::Yes;
}

void platformWarning(QWidget* parent, const QString& text, const QString& caption)
{
    show(parent, TKind::PlatformWarning, text, caption);
}

void plain(QWidget* parent, const QString& text, const QString& caption)
{
    show(parent, TKind::Plain, text, caption);
}

void setHook(THook h) { hook() = std::move(h); }

} // namespace msg
