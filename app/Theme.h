#pragma once
// Colours and fonts the forms share.

#include <QColor>
#include <QString>

class QDialog;
class QWidget;

namespace theme {
inline const QColor kCream(255, 251, 240);
inline const QColor kSkyBlue(166, 202, 240);
inline const QColor kNavy(0, 0, 128);
inline const QColor kSilver(192, 192, 192);
inline const QColor kLightGrey(230, 230, 230);
inline const QColor kFocusEdit(179, 251, 253);
inline const QString kGothic = QStringLiteral("ＭＳ Ｐゴシック");
inline const QString kMincho = QStringLiteral("ＭＳ Ｐ明朝");

// The Windows font names are kept in the forms; the IPA fonts have their metrics.
void registerFontSubstitutes();
// Style sheet that colours an edit while it has the focus.
QString focusEditStyle();
// Background colour of a top-level form.
void setBackground(QWidget* w, const QColor& c);
// The maintenance forms: name, caption, cream background and the edit
// that has the focus coloured.
void setupCreamForm(QWidget* w, const QString& objectName, const QString& caption);
// The small fixed dialogs (first run, login, version, print options): name,
// caption, fixed border with a close box, background and the 12-pixel font.
void setupFixedDialog(QDialog* d, const QString& objectName, const QString& caption, const QColor& background,
                      bool systemMenu = false);
} // namespace theme
