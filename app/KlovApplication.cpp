#include "app/KlovApplication.h"

#include "app/MsgBox.h"
#include "db/Errors.h"

#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>

TKlovApplication::TKlovApplication(int& argc, char** argv) : QApplication(argc, argv)
{
    setWindowIcon(QIcon(QStringLiteral(":/icons/jp.klov.Klov.png")));
    setDesktopFileName(QStringLiteral("jp.klov.Klov"));
}

bool TKlovApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const EKlovError& e) {
        msg::warning(activeWindow(), e.message());
    } catch (const std::exception& e) {
        msg::warning(activeWindow(), QString::fromLocal8Bit(e.what()));
    }
    return false;
}

bool TKlovApplication::installJapanese()
{
    const QLocale japanese(QLocale::Japanese, QLocale::Japan);
    QLocale::setDefault(japanese);
    if (!FQtTranslator.load(japanese, QStringLiteral("qtbase"), QStringLiteral("_"),
                            QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        return false;
    return installTranslator(&FQtTranslator);
}
