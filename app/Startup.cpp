#include "app/Startup.h"

#include "app/CommonU.h"
#include "app/FrmDBSettingU.h"
#include "app/FrmVerU.h"
#include "app/KlovApplication.h"
#include "app/Globals.h"
#include "app/MsgBox.h"
#include "app/SingleInstance.h"
#include "app/Theme.h"
#include "app/UntDM.h"
#include "main/FrmMainU.h"

#include <QApplication>

int runKlov(int argc, char** argv)
{
    TKlovApplication app(argc, argv);
    app.installJapanese();
    theme::registerFontSubstitutes();
    return startKlov();
}

int startKlov()
{
    TKlovGlobals& g = G();
    g.dataFolder = defaultDataFolder();
    // A configuration that cannot be read is reported, never replaced.
    if (const QString problem = CommonU::IniProblem(); !problem.isEmpty()) {
        msg::platformWarning(nullptr, problem);
        return 1;
    }
    CommonU::ReadIniStr(QStringLiteral("KLOVDB"), QStringLiteral("SOURCE"), g.dbSource);
    CommonU::ReadIniStr(QStringLiteral("KLOVDB"), QStringLiteral("PASS"), g.dbPass);

    if (g.dbSource.isEmpty()) {
        TFrmDBSetting dlg;
        if (dlg.exec() != QDialog::Accepted)
            return 0;
        g.dbSource = dlg.FSource;
        g.dbPass = dlg.FPass;
        CommonU::WriteIniStr(QStringLiteral("KLOVDB"), QStringLiteral("PASS"), g.dbPass);
        CommonU::WriteIniStr(QStringLiteral("KLOVDB"), QStringLiteral("SOURCE"), g.dbSource);
    }

    TSingleInstance instance(g.dataFolder);
    if (!instance.acquire()) {
        instance.notifyRunning();
        return 0;
    }

    QApplication::setApplicationName(QStringLiteral("退院サマリ作成支援システム"));

    TdmMAIN dmMAIN;
    g.dm = &dmMAIN;
    int rc = 0;
    {
        TFrmMain main;
        TFrmVer ver(&main);   // kept hidden; the menu opens its own
        QObject::connect(&instance, &TSingleInstance::raiseRequested, &main, [&main] {
            if (main.isMinimized())
                main.showMaximized();
            main.raise();
            main.activateWindow();
        });
        QObject::connect(&main, &QDialog::finished, qApp, &QApplication::quit);
        main.showMaximized();
        rc = QApplication::exec();
    }
    g.dm = nullptr;
    return rc;
}
