// Backup and restore with the real pg_dump and pg_restore against the test
// server.

#include "admin/FrmBackUpU.h"
#include "admin/FrmRestoreU.h"
#include "app/CommonU.h"
#include "common/TestApp.h"
#include "main/FrmMainU.h"

#include <QCheckBox>
#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTest>

class BackupTest : public AppTest {
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        loginAs(QStringLiteral("admin"));
    }
    void fill(TFrmPgTool& f, const QString& tool)
    {
        f.show();
        f.FPassFile = FTmp->path() + QStringLiteral("/pgpass");
        f.edtServer->setText(testenv::host());
        f.edtPort->setText(testenv::port());
        f.edtDb->setText(dbName());
        f.edtUser->setText(QStringLiteral("postgres"));
        f.edtPass->setText(testenv::password());
        f.edtExePath->setText(QStandardPaths::findExecutable(tool));
    }
    void runAndWait(TFrmPgTool& f)
    {
        f.bbtnBackUp->click();
        ASSERT_TRUE(waitFor([&] { return !f.running(); }, 30000));
    }
    // A backup of the test database in its state now; oldServer: for a
    // server of 9.2 or older.
    QString backup(bool oldServer = false)
    {
        TFrmBackUp f;
        fill(f, QStringLiteral("pg_dump"));
        f.cbPostVer->setChecked(oldServer);
        f.edtOutPath->setText(FOut.path());
        runAndWait(f);
        return f.FBackupFile;
    }
    void restore(TFrmRestore& f, const QString& file, bool oldServer = false)
    {
        fill(f, QStringLiteral("pg_restore"));
        f.cbPostVer->setChecked(oldServer);
        f.edtBackFile->setText(file);
        runAndWait(f);
    }
    QString adminName() { return scalar(R"(SELECT "USERNM" FROM "KLOV"."M_USER" WHERE "USERID" = 'admin')"); }

    QTemporaryDir FOut;
};

TEST_F(BackupTest, BackupWritesAnArchiveNamedFromTheServerTimeWithoutThePasswordOnTheCommandLine)
{
    const QDateTime before = CommonU::GetServerTime().addSecs(-1);
    TFrmBackUp f;
    fill(f, QStringLiteral("pg_dump"));
    f.edtOutPath->setText(FOut.path() + QStringLiteral("/"));
    runAndWait(f);
    const QDateTime after = CommonU::GetServerTime();
    EXPECT_EQ(boxes.texts(), (QStringList{QStringLiteral("実行してよろしいですか？"), QStringLiteral("バックアップ終了しました。")}));
    const QFileInfo file(f.FBackupFile);
    EXPECT_EQ(file.absolutePath(), QDir(FOut.path()).absolutePath());
    EXPECT_GT(file.size(), 0);
    const auto m = QRegularExpression(QStringLiteral(R"(^KLOV(\d{14})\.backup$)")).match(file.fileName());
    ASSERT_TRUE(m.hasMatch()) << file.fileName().toStdString();
    const QDateTime stamp = QDateTime::fromString(m.captured(1), QStringLiteral("yyyyMMddHHmmss"));
    EXPECT_TRUE(stamp >= before.addMSecs(-before.time().msec()) && stamp <= after) << m.captured(1).toStdString();
    // Beside it its checksum, as sha256sum writes it.
    QFile archive(f.FBackupFile), sum(pgtools::checksumFileName(f.FBackupFile));
    ASSERT_TRUE(archive.open(QIODevice::ReadOnly) && sum.open(QIODevice::ReadOnly));
    EXPECT_EQ(sum.readAll(), QCryptographicHash::hash(archive.readAll(), QCryptographicHash::Sha256).toHex() + "  "
                                 + file.fileName().toUtf8() + "\n");

    // The database is named as such; the password reaches the tools only
    // through the password file, for either server generation.
    EXPECT_TRUE(f.FLastArguments.join(' ').contains(QStringLiteral("--dbname ") + dbName()));
    const pgtools::TConnParams p = f.params();
    for (bool old : {false, true})
        for (const QStringList& args : {pgtools::backupArguments(p, QStringLiteral("x"), old),
                                        pgtools::restoreArguments(p, QStringLiteral("x"), old)})
            EXPECT_FALSE(args.join(' ').contains(p.pass)) << args.join(' ').toStdString();
}

TEST_F(BackupTest, RestoreBringsBackTheSavedDataAndAFailedLoadChangesNothing)
{
    const QString file = backup();
    const QString saved = adminName();
    sql(R"(UPDATE "KLOV"."M_USER" SET "USERNM" = '変更後' WHERE "USERID" = 'admin')");

    // An object the archive does not know stops the load inside its
    // transaction: the drops are rolled back with it.
    sql(R"(CREATE TABLE "KLOV"."EXTRA" ("A" INTEGER))");
    {
        TFrmRestore f;
        restore(f, file);
        EXPECT_TRUE(boxes.last().startsWith(QStringLiteral("リストアーに失敗しました。データベースは元のままです。\n")))
            << boxes.last().toStdString();
        EXPECT_TRUE(boxes.last().contains(QStringLiteral("EXTRA")));
        EXPECT_EQ(adminName(), QStringLiteral("変更後"));
    }
    sql(R"(DROP TABLE "KLOV"."EXTRA")");
    boxes.boxes.clear();
    TFrmRestore f;
    restore(f, file);
    EXPECT_EQ(boxes.texts(), (QStringList{QStringLiteral("全てのデータが置き換えられます。実行してよろしいですか？"),
                                          QStringLiteral("リストアー終了しました。")}));
    EXPECT_EQ(adminName(), saved);
}

TEST_F(BackupTest, CorruptOrEmptyFilesAreRefusedBeforeAnythingIsDropped)
{
    sql(R"(UPDATE "KLOV"."M_USER" SET "USERNM" = '残る' WHERE "USERID" = 'admin')");
    for (const QByteArray& content : {QByteArray(), QByteArray("PGDMP not really an archive")}) {
        const QString path = FOut.path() + QStringLiteral("/bad.backup");
        QFile bad(path);
        ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
        bad.write(content);
        bad.close();
        TFrmRestore f;
        restore(f, path);
        EXPECT_TRUE(boxes.last().startsWith(QStringLiteral("このバックアップファイルはリストアーできません。データベースは元のままです。")))
            << boxes.last().toStdString();
        EXPECT_EQ(f.FLastArguments.first(), QStringLiteral("--list"));
        EXPECT_EQ(adminName(), QStringLiteral("残る"));
    }
}

TEST_F(BackupTest, RestoreWaitingForAnotherWorkstationSaysSoAndCancelsWithoutChange)
{
    const QString file = backup();
    sql(R"(UPDATE "KLOV"."M_USER" SET "USERNM" = '変更後' WHERE "USERID" = 'admin')");
    TConnection other;
    other.open(dataSource(), testenv::password());
    other.beginTrans();
    other.execDirect(QStringLiteral(R"(SELECT * FROM "KLOV"."M_USER")"));

    TFrmRestore f;
    fill(f, QStringLiteral("pg_restore"));
    f.edtBackFile->setText(file);
    f.bbtnBackUp->click();
    ASSERT_TRUE(waitFor([&] { return f.lblStatus->text().contains(QStringLiteral("その終了を待っています")); }, 15000))
        << f.lblStatus->text().toStdString();
    EXPECT_FALSE(f.bbtnBackUp->isEnabled());
    f.close();
    EXPECT_TRUE(f.isVisible());
    f.bbtnCancel->click();
    ASSERT_TRUE(waitFor([&] { return !f.running(); }, 15000));
    EXPECT_EQ(boxes.last(), QStringLiteral("リストアーを中止しました。データベースは元のままです。"));
    EXPECT_TRUE(f.bbtnBackUp->isEnabled());
    other.rollbackTrans();
    EXPECT_EQ(adminName(), QStringLiteral("変更後"));
}

TEST_F(BackupTest, TheFirstHalfOfABackupIsRefusedBeforeAnythingIsDropped)
{
    // Enough rows for the cut to fall inside a table's data.
    sql(R"(INSERT INTO "KLOV"."D_MESS" ("MESSNO", "RUSERID", "NAIYO")
           SELECT G, 'admin', REPEAT('x', 200) FROM GENERATE_SERIES(1, 2000) G)");
    const QString file = backup();
    sql(R"(UPDATE "KLOV"."M_USER" SET "USERNM" = '残る' WHERE "USERID" = 'admin')");
    QFile archive(file);
    ASSERT_TRUE(archive.resize(archive.size() / 2));
    const QString refused = QStringLiteral("このバックアップファイルはリストアーできません。データベースは元のままです。\n");
    {
        TFrmRestore f;
        restore(f, file);
        EXPECT_EQ(boxes.last(), refused + QStringLiteral("バックアップ時のチェックサム（") + QFileInfo(file).fileName()
                                    + QStringLiteral(".sha256）と一致しません。ファイルが壊れているか、途中までしかありません。"));
        EXPECT_EQ(f.FLastArguments.first(), QStringLiteral("--list"));
    }
    // Without a checksum pg_restore reads it whole first; it stops making
    // progress at the cut and is stopped.
    ASSERT_TRUE(QFile::remove(pgtools::checksumFileName(file)));
    TFrmRestore f;
    f.FStallSeconds = 2;
    restore(f, file);
    EXPECT_EQ(boxes.last(), refused + QStringLiteral("pg_restoreが2秒間進まないため停止しました。"
                                                     "ファイルが壊れているか、途中までしかない可能性があります。"));
    EXPECT_FALSE(f.FLastArguments.contains(QStringLiteral("--clean")));
    EXPECT_EQ(adminName(), QStringLiteral("残る"));
    EXPECT_EQ(scalar(R"(SELECT COUNT(*) FROM "KLOV"."D_MESS")"), QStringLiteral("2000"));
}

// The lock is on D_KANBYO, which the restore drops after D_MESS: the window's
// message counters read D_MESS.
TEST_F(BackupTest, ALockTheRestoreMeetsLateLeavesTheWindowAnsweringAndCancelEndsTheToolsSession)
{
    const QString file = backup();
    sql(R"(UPDATE "KLOV"."M_USER" SET "USERNM" = '変更後' WHERE "USERID" = 'admin')");
    auto m = openMain(QStringLiteral("admin"));
    m->Timer2->setInterval(100);
    // Bounds the freeze should a statement of the window wait for the restore.
    dm().ADOCPOST.execDirect(QStringLiteral("SET statement_timeout = '3s'"));
    TConnection other;
    other.open(dataSource(), testenv::password());
    other.beginTrans();
    other.execDirect(QStringLiteral(R"(SELECT * FROM "KLOV"."D_KANBYO")"));
    auto sessions = [this] {
        return scalar(R"(SELECT COUNT(*) FROM "pg_stat_activity" WHERE "application_name" LIKE 'KLOV pg_restore %')");
    };
    whenModal(QStringLiteral("TFrmRestore"), [&](QWidget* w) {
        auto& f = *static_cast<TFrmRestore*>(w);
        fill(f, QStringLiteral("pg_restore"));
        f.edtBackFile->setText(file);
        f.bbtnBackUp->click();
        EXPECT_TRUE(waitFor([&] { return f.lblStatus->text().contains(QStringLiteral("その終了を待っています")); }, 15000));
        EXPECT_EQ(sessions(), QStringLiteral("1"));
        QElapsedTimer answering;
        answering.start();
        QTest::qWait(1000);
        EXPECT_LT(answering.elapsed(), 2000) << "the window stopped answering";
        f.bbtnCancel->click();
        EXPECT_TRUE(waitFor([&] { return !f.running(); }, 15000));
        // A terminated backend leaves the activity view when it has exited.
        EXPECT_TRUE(waitFor([&] { return sessions() == QStringLiteral("0"); }, 5000));
        f.close();
    }, 30000);
    m->mmnRestor->trigger();
    other.rollbackTrans();
    EXPECT_EQ(boxes.last(), QStringLiteral("リストアーを中止しました。データベースは元のままです。"));
    EXPECT_EQ(adminName(), QStringLiteral("変更後"));
}

TEST_F(BackupTest, TheMainListRunsAgainAfterARestore)
{
    sql(R"(INSERT INTO "KLOV"."M_KANJA" ("ID","RNO","ACTKBN","KNJNAME","KNJKANA","DELKBN") VALUES (100,1,1,'山田 太郎','ヤマダ',0);
           INSERT INTO "KLOV"."D_TAIYOU" ("KNO","VERNO","ID","NDTE","TDTE","ACTKBN","DELKBN","WFLG","SFLG","KFLG","KACD","SYUDR","NYURIYU")
             VALUES (1,1,100,'2024-05-01','2024-05-20',1,0,0,0,0,1,'admin','理由'))");
    const QString file = backup();
    sql(R"(DELETE FROM "KLOV"."D_TAIYOU")");
    auto m = openMain(QStringLiteral("admin"));
    EXPECT_EQ(m->lblKENSU->text(), QStringLiteral("0"));
    whenModal(QStringLiteral("TFrmRestore"), [&](QWidget* w) {
        auto& f = *static_cast<TFrmRestore*>(w);
        restore(f, file);
        f.close();
    }, 30000);
    m->mmnRestor->trigger();
    EXPECT_EQ(boxes.last(), QStringLiteral("リストアー終了しました。"));
    EXPECT_EQ(m->lblKENSU->text(), QStringLiteral("1"));
}

// For a server of 9.2 or older the tool drops what it recreates; what the
// database lacks is no error.
TEST_F(BackupTest, AnOlderServersRestoreCompletesIntoAPartlyDamagedDatabase)
{
    const QString file = backup(true);
    const QString saved = adminName();
    sql(R"(UPDATE "KLOV"."M_USER" SET "USERNM" = '変更後' WHERE "USERID" = 'admin';
           DROP TABLE "KLOV"."D_MESS")");
    TFrmRestore f;
    restore(f, file, true);
    EXPECT_EQ(boxes.last(), QStringLiteral("リストアー終了しました。"));
    EXPECT_EQ(adminName(), saved);
    EXPECT_EQ(scalar(R"(SELECT COUNT(*) FROM "KLOV"."D_MESS")"), QStringLiteral("0"));
}

TEST(PgpassTest, ValuesAreEscapedAndTheCurrentEntryComesFirst)
{
    EXPECT_EQ(pgtools::escapePgpass(QStringLiteral(R"(a:b\c)")), QStringLiteral(R"(a\:b\\c)"));
    QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/pgpass");
    pgtools::TConnParams p{QStringLiteral("srv"), QStringLiteral("5432"), QStringLiteral("db"),
                           QStringLiteral("u"), QStringLiteral(R"(p:w\1)")};
    auto lines = [&] {
        QFile f(path);
        f.open(QIODevice::ReadOnly);
        return QString::fromUtf8(f.readAll()).split('\n', Qt::SkipEmptyParts);
    };
    ASSERT_EQ(pgtools::ensurePgpassEntry(path, p), QString());
    ASSERT_EQ(pgtools::ensurePgpassEntry(path, p), QString());
    EXPECT_EQ(lines(), QStringList{QStringLiteral(R"(srv:5432:db:u:p\:w\\1)")});
    EXPECT_EQ(QFileInfo(path).permissions() & 0x0077, 0);
    // libpq takes the first matching line: a new password goes in front.
    p.pass = QStringLiteral("new");
    ASSERT_EQ(pgtools::ensurePgpassEntry(path, p), QString());
    EXPECT_EQ(lines(), (QStringList{QStringLiteral("srv:5432:db:u:new"), QStringLiteral(R"(srv:5432:db:u:p\:w\\1)")}));
}

TEST_F(BackupTest, AFailedBackupSavesTheToolsMessagesAndLeavesNoArchive)
{
    TFrmBackUp f;
    fill(f, QStringLiteral("pg_dump"));
    f.edtPass->setText(QStringLiteral("wrong"));
    f.edtOutPath->setText(FOut.path());
    runAndWait(f);
    EXPECT_EQ(boxes.last(), QStringLiteral("エラーのため終了しました。エラーログを確認してください。"));
    EXPECT_FALSE(QFile::exists(f.FBackupFile));
    ASSERT_TRUE(QFileInfo(f.FErrLogFile).fileName().startsWith(QStringLiteral("POSTBACKERR")));
    QFile log(f.FErrLogFile);
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(log.readAll());
    EXPECT_TRUE(text.contains(QStringLiteral("password authentication failed"))) << text.toStdString();
    EXPECT_FALSE(text.contains(QStringLiteral("wrong")));
}
