#include "app/Theme.h"

#include <QDialog>
#include <QFont>
#include <QPalette>
#include <QWidget>

namespace theme {

void registerFontSubstitutes()
{
    QFont::insertSubstitution(kGothic, QStringLiteral("IPAPGothic"));
    QFont::insertSubstitution(kMincho, QStringLiteral("IPAPMincho"));
    QFont::insertSubstitution(QStringLiteral("ＭＳ ゴシック"), QStringLiteral("IPAGothic"));
    QFont::insertSubstitution(QStringLiteral("ＭＳ 明朝"), QStringLiteral("IPAMincho"));
}

QString focusEditStyle()
{
    return QStringLiteral("QLineEdit:focus { background-color: rgb(179, 251, 253); }");
}

void setBackground(QWidget* w, const QColor& c)
{
    QPalette p = w->palette();
    p.setColor(QPalette::Window, c);
    w->setPalette(p);
    w->setAutoFillBackground(true);
}

void setupCreamForm(QWidget* w, const QString& objectName, const QString& caption)
{
    w->setObjectName(objectName);
    w->setWindowTitle(caption);
    setBackground(w, kCream);
    w->setStyleSheet(focusEditStyle());
}

void setupFixedDialog(QDialog* d, const QString& objectName, const QString& caption, const QColor& background,
                      bool systemMenu)
{
    d->setObjectName(objectName);
    d->setWindowTitle(caption);
    Qt::WindowFlags flags = Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint
                            | Qt::WindowCloseButtonHint;
    if (systemMenu)
        flags |= Qt::WindowSystemMenuHint;
    d->setWindowFlags(flags);
    setBackground(d, background);
    QFont f(kGothic);
    f.setPixelSize(12);
    d->setFont(f);
}

} // namespace theme
