// The server restarted under the forms: a save cut in its transaction leaves
// nothing behind, the second workstation's connection recovers as well, and
// the list and the export go on after the restart or fail plainly while the
// server is down. On a server of the test's own.

#include "PrivateServer.h"

#include "MainLogin.h"
#include "app/Globals.h"
#include "app/SjisText.h"
#include "app/UntDM.h"
#include "common/TestApp.h"
#include "controls/DBGrid.h"
#include "db/Errors.h"
#include "db/Transaction.h"
#include "export/FrmOutCsvU.h"
#include "main/FrmMainU.h"
#include "patient/FrmImpKanjaU.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QTimer>

namespace {

QString scalarOf(TConnection& c, const QString& select)
{
    TQuery q(&c);
    q.setSql(select);
    q.open();
    return q.eof() ? QString() : q.resultSet()->text(q.rawRow(0), 0);
}

} // namespace

TEST(ServerRestartTest, ACutSaveWritesNothingAndTheFormsGoOnAfterwards)
{
    if (!TPrivateServer::available())
        GTEST_SKIP() << "PostgreSQL server programs are not installed";
    TPrivateServer server;
    {
        TConnection admin;
        admin.open(server.conninfo(QStringLiteral("postgres")), server.password());
        admin.execDirect(QStringLiteral("CREATE DATABASE klov"));
    }
    const QString source = server.conninfo(QStringLiteral("klov"));
    // The second workstation; it also sets up the rows.
    TConnection other;
    other.open(source, server.password());
    other.execScript(testenv::sourceFile(QStringLiteral("db/schema.sql")));
    other.execScript(QStringLiteral(
        R"(INSERT INTO "KLOV"."M_USER" ("USERID","PASSW","USERNM","JTYP","WOK","SOK","KOK","MNTFLG","YSTRDTE","YENDDTE")
             VALUES ('boss','pw','院長',0,1,1,1,1,'2000-01-01','2099-12-31');
           INSERT INTO "KLOV"."M_KA" ("KACD","KANM","DSPKBN") VALUES (1,'内科',0);
           INSERT INTO "KLOV"."M_KANJA" ("ID","RNO","ACTKBN","DELKBN","KNJNAME","SEX","BIRTH")
             VALUES (3,1,1,0,'三郎',0,'1970-01-01');
           INSERT INTO "KLOV"."D_TAIYOU" ("KNO","VERNO","ID","NDTE","TDTE","ACTKBN","DELKBN","WFLG","SFLG","KFLG","KACD","SYUDR")
             VALUES (1,1,3,'2024-05-01','2024-05-20',1,0,0,0,0,1,'boss'),
                    (2,1,3,'2024-06-01','1899-12-30',1,0,0,0,0,1,'boss');)"));

    // This workstation: the forms on the shared connection.
    QTemporaryDir home;
    qputenv("XDG_DATA_HOME", home.path().toLocal8Bit());
    G() = TKlovGlobals{};
    G().dataFolder = defaultDataFolder();
    QDir().mkpath(G().dataFolder);
    G().dbSource = source;
    G().dbPass = server.password();
    TdmMAIN dmMain;
    dmMain.connectDb(source, server.password());
    G().dm = &dmMain;
    struct TReset {
        ~TReset() { G() = TKlovGlobals{}; }
    } reset;
    MsgRecorder boxes;

    TFrmMain main;
    ASSERT_TRUE(showLoggedIn(main, QStringLiteral("boss")));
    ASSERT_EQ(main.lblKENSU->text(), QStringLiteral("2"));

    // The import: patients 1 and 2 are new, 3 changes. The other
    // workstation holds patient 3, so the import waits there with 1 and 2
    // already written; the server restarts meanwhile.
    const QString csvPath = G().dataFolder + QStringLiteral("kanja.csv");
    {
        QFile f(csvPath);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        for (const char16_t* line : {u"1,一郎,0,1970/01/01", u"2,二郎,0,1970/01/01", u"3,三郎改,0,1970/01/01"})
            f.write(sjis::encode(QString::fromUtf16(line)) + "\r\n");
    }
    TFrmImpKanja import;
    import.show();
    import.edtPath->setText(csvPath);
    import.edtPathExit();
    const int columns[] = {1, 0, 2, 3, 4};   // number, kana (none), name, sex, birth
    for (int i = 0; i < 5; ++i)
        import.cmbFld[i]->setCurrentIndex(columns[i]);
    import.cbUpd->setChecked(true);

    other.beginTrans();
    TQuery hold(&other);
    hold.setSql(R"(SELECT * FROM "KLOV"."M_KANJA" WHERE "ID" = 3 FOR UPDATE)");
    hold.open();
    TConnection watch;
    watch.open(source, server.password());
    bool restarted = false;
    QTimer restarter;
    restarter.setInterval(20);
    QObject::connect(&restarter, &QTimer::timeout, [&] {
        if (restarted
            || scalarOf(watch, R"(SELECT COUNT(*) FROM pg_stat_activity WHERE "wait_event_type" = 'Lock')") == "0")
            return;
        restarted = true;
        server.restart();
    });
    restarter.start();
    boxes.boxes.clear();
    import.bbtnUpdateClick();
    restarter.stop();
    ASSERT_TRUE(restarted) << "the import never waited on the held patient";
    EXPECT_EQ(boxes.texts(), QStringList({QStringLiteral("実行します。よろしいですか？"), kConnectionLostMessage}));

    // Nothing of the cut transaction is there.
    TConnection check;
    check.open(source, server.password());
    const QString patients = R"(SELECT string_agg("ID" || ':' || "RNO" || ':' || "ACTKBN" || ':' || "KNJNAME", ',' ORDER BY "ID", "RNO")
                                FROM "KLOV"."M_KANJA")";
    EXPECT_EQ(scalarOf(check, patients), QStringLiteral("3:1:1:三郎"));

    // The other workstation: its transaction went with the server; its
    // next save opens the connection again and goes through.
    EXPECT_THROW(other.rollbackTrans(), EConnectionLost);
    EXPECT_FALSE(other.inTransaction());
    runTransaction(other, [&] {
        TQuery q(&other);
        q.setSql(R"(UPDATE "KLOV"."M_KA" SET "KANM" = '総合内科' WHERE "KACD" = 1)");
        q.execSqlExpect(1);
    });
    EXPECT_EQ(other.reconnectCount(), 1);

    // The list and the export after the restart: as before, without a word.
    boxes.boxes.clear();
    main.RequeryList();
    EXPECT_EQ(main.lblKENSU->text(), QStringLiteral("2"));
    TFrmOutCsv out;
    out.show();
    QTemporaryDir outDir;
    const QString outPath = outDir.filePath(QStringLiteral("out.csv"));
    out.FAskSaveFile = [&](QWidget*, const QString&, const QString&) { return outPath; };
    out.bbtnCSVClick();
    EXPECT_EQ(boxes.texts(), QStringList({QStringLiteral("出力しました。")}));
    ASSERT_TRUE(QFile::exists(outPath));
    QFile::remove(outPath);

    // Restarted while idle: the next list reads on a connection opened anew.
    server.restart();
    main.RequeryList();
    EXPECT_EQ(main.lblKENSU->text(), QStringLiteral("2"));
    EXPECT_EQ(boxes.texts(), QStringList({QStringLiteral("出力しました。")}));

    // The server down: the list is empty and the export writes nothing,
    // each saying so plainly.
    server.stop();
    boxes.boxes.clear();
    main.RequeryList();
    EXPECT_EQ(main.lblKENSU->text(), QStringLiteral("0"));
    EXPECT_EQ(main.dbgMei->rowCount(), 0);
    out.bbtnCSVClick();
    EXPECT_FALSE(QFile::exists(outPath));
    EXPECT_EQ(boxes.texts(), QStringList({kNoServerMessage, kNoServerMessage}));

    // Back up: the list, and the same import again, now stored whole.
    server.start();
    boxes.boxes.clear();
    main.RequeryList();
    EXPECT_EQ(main.lblKENSU->text(), QStringLiteral("2"));
    import.bbtnUpdateClick();
    EXPECT_EQ(boxes.last(), QStringLiteral("取込終了しました。"));
    check.close();
    check.open(source, server.password());
    EXPECT_EQ(scalarOf(check, patients), QStringLiteral("1:1:1:一郎,2:1:1:二郎,3:1:0:三郎,3:2:1:三郎改"));
}
