#include "app/Globals.h"

#include "db/Errors.h"

#include <QDir>

TKlovGlobals& G()
{
    static TKlovGlobals globals;
    return globals;
}

QString defaultDataFolder()
{
    QString base = qEnvironmentVariable("XDG_DATA_HOME");
    if (base.isEmpty())
        base = QDir::homePath() + QStringLiteral("/.local/share");
    if (!base.endsWith(QLatin1Char('/')))
        base += QLatin1Char('/');
    return base + QStringLiteral("KLOV/");
}

TdmMAIN& dm()
{
    if (!G().dm)
        throw EDatabaseError(QStringLiteral("データモジュールがありません。"));
    return *G().dm;
}
