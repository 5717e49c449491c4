// The autosave of the summary editor: the files it writes, the restore after
// a crash, which ways out delete the files, and a real process killed while
// typing.

#include "test_editor_fixture.h"

#include "app/CommonU.h"
#include "app/FrmLoginU.h"
#include "app/Startup.h"
#include "main/FrmMainU.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QProcess>
#include <cstdio>

namespace {
QByteArray fileBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

// Wires the main window to the editor when the program has not done so.
void wireEditor(TFrmMain* main)
{
    if (main && !main->openSummaryEditor)
        main->openSummaryEditor = [main](bool recov, int& kno, int& verno) {
            return OpenTaiyouEditor(main, recov, kno, verno);
        };
}

// Answers the login dialog of the program as dr1.
void logIn(QWidget* w)
{
    auto* login = static_cast<TFrmLogin*>(w);
    wireEditor(qobject_cast<TFrmMain*>(login->parentWidget()));
    login->edtUser->setText(QStringLiteral("dr1"));
    login->edtPass->setText(QStringLiteral("pw"));
    QTimer::singleShot(0, login, [login] { QTest::mouseClick(login->Button1, Qt::LeftButton); });
}

// Japanese text arrives from the input method as a committed string.
void commitText(QWidget* w, const QString& text)
{
    QInputMethodEvent e;
    e.setCommitString(text);
    QApplication::sendEvent(w, &e);
}

const QString kTyped[5] = {QStringLiteral("現病歴を入力中"), QStringLiteral("第3病日より解熱\n抗菌薬終了"),
                           QStringLiteral("独歩退院"), QStringLiteral("なし"), QStringLiteral("外来にて経過観察")};
} // namespace

TEST_F(EditorTest, EveryTickWritesTheSectionsAndTheKey)
{
    loginAs(QStringLiteral("dr1"), 0);
    addSummary(1, 1);
    TFrmUpdTaiyou& f = open(1, 1);
    EXPECT_EQ(f.timWrite->interval(), 15000);
    ASSERT_TRUE(f.timWrite->isActive());
    f.timWrite->setInterval(50);
    f.memNYUBEFKEIKA->setPlainText(QStringLiteral("一行目\n\n三行目"));
    f.memNYUKEIKA->setPlainText(QStringLiteral("末尾改行\n"));
    f.memTAIJOUHO->clear();
    f.memTAIYAKU->setPlainText(QStringLiteral("薬A"));
    const QString dir = dataFolder();
    ASSERT_TRUE(waitFor([&] { return fileBytes(dir + "TAIYAKU.txt") == QByteArray("薬A\r\n"); }));
    EXPECT_EQ(fileBytes(dir + "NYUBEFKEIKA.txt"), QByteArray("一行目\r\n\r\n三行目\r\n"));
    EXPECT_EQ(fileBytes(dir + "NYUKEIKA.txt"), QByteArray("末尾改行\r\n"));
    EXPECT_EQ(fileBytes(dir + "TAIJOUHO.txt"), QByteArray());
    EXPECT_EQ(fileBytes(dir + "TAIHOU.txt"), QByteArray("方針\r\n"));
    EXPECT_EQ(fileBytes(dir + "KNO.txt"), QByteArray("1\r\n1\r\n"));

    // the editor goes away without its close handling, as in a crash
    FForm.reset();
    QFile::remove(dir + "TAIHOU.txt");
    sql(R"(UPDATE "KLOV"."D_TAIYOU" SET "TAIHOU" = '保存済みの方針')");
    TFrmUpdTaiyou& g = open(1, 1, true);
    EXPECT_EQ(g.memNYUBEFKEIKA->toPlainText(), QStringLiteral("一行目\n\n三行目\n"));
    EXPECT_EQ(g.memNYUKEIKA->toPlainText(), QStringLiteral("末尾改行\n"));
    EXPECT_EQ(g.memTAIJOUHO->toPlainText(), QString());
    EXPECT_EQ(g.memTAIYAKU->toPlainText(), QStringLiteral("薬A\n"));
    EXPECT_EQ(g.memTAIHOU->toPlainText(), QStringLiteral("保存済みの方針")) << "no file: as loaded";
    EXPECT_TRUE(g.timWrite->isActive());
    EXPECT_TRUE(g.IsChanged());
    QTest::mouseClick(g.bbtnClose, Qt::LeftButton);
    EXPECT_EQ(boxes.last(), QStringLiteral("変更された情報がありますが「登録」ボタンが押されていません。\r\n"
                                           "このままだと更新されずに終了しますがよろしいですか？"));
    for (const char* name : {"NYUBEFKEIKA.txt", "NYUKEIKA.txt", "TAIJOUHO.txt", "TAIYAKU.txt", "KNO.txt"})
        EXPECT_FALSE(QFile::exists(dir + name)) << name;
}

TEST_F(EditorTest, AVersionThatCannotBeEditedIgnoresTheAutosave)
{
    loginAs(QStringLiteral("dr1"), 0);
    addSummary(1, 1, 1001, 1, "2024-04-01", "2024-04-10", 1, R"("ACTKBN" = 0)");
    {
        TFrmUpdTaiyou& f = open(1, 1);
        f.WriteThreadProc();
    }
    FForm.reset();
    TFrmUpdTaiyou& f = open(1, 1, true);
    EXPECT_EQ(f.memNYUKEIKA->toPlainText(), QStringLiteral("経過2"));
    EXPECT_FALSE(f.timWrite->isActive());
}

TEST_F(EditorTest, OnlyASuccessfulSaveDeletesTheAutosave)
{
    loginAs(QStringLiteral("dr1"), 0);
    addSummary(1, 1);
    TFrmUpdTaiyou& f = open(1, 1);
    f.memNYUKEIKA->setPlainText(QStringLiteral("書きかけ"));
    f.WriteThreadProc();
    sql(R"(ALTER TABLE "KLOV"."D_TAIYOU" ADD CONSTRAINT "TEST_CNT" CHECK ("NYUCNT" < 100))");
    f.nedtNYUCNT->setAsInteger(500);
    QTest::mouseClick(f.bbtnUpdate, Qt::LeftButton);
    ASSERT_EQ(boxes.boxes.size(), 1);
    EXPECT_TRUE(boxes.last().startsWith(QStringLiteral("EQueryError\r\n"))) << boxes.last().toStdString();
    EXPECT_TRUE(f.isVisible());
    EXPECT_EQ(f.memNYUKEIKA->toPlainText(), QStringLiteral("書きかけ"));
    EXPECT_TRUE(QFile::exists(dataFolder() + "KNO.txt"));
    EXPECT_EQ(fileBytes(dataFolder() + "NYUKEIKA.txt"), QByteArray("書きかけ\r\n"));

    f.nedtNYUCNT->setAsInteger(5);
    QTest::mouseClick(f.bbtnUpdate, Qt::LeftButton);
    EXPECT_EQ(f.result(), QDialog::Accepted);
    EXPECT_FALSE(f.timWrite->isActive());
    EXPECT_TRUE(QDir(dataFolder()).entryList({"*.txt"}).isEmpty()) << QDir(dataFolder()).entryList().join(',').toStdString();
}

// Runs only as the child process of the crash test: the program, logged in,
// with the editor open on summary 1, typing into the five memos; then it waits
// to be killed.
TEST(EditorCrashChild, TypesIntoTheEditorUntilKilled)
{
    if (qEnvironmentVariable("KLOV_CRASH_CHILD") != QLatin1String("1"))
        GTEST_SKIP() << "started by EditorCrash only";
    MsgRecorder boxes;
    whenModal(QStringLiteral("TFrmLogin"), logIn);
    auto* poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, [poll] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            auto* main = qobject_cast<TFrmMain*>(w);
            if (!main || !main->loggedIn())
                continue;
            poll->stop();
            whenModal(QStringLiteral("TFrmUpdTaiyou"), [](QWidget* w) {
                auto* f = static_cast<TFrmUpdTaiyou*>(w);
                QPlainTextEdit* memos[5] = {f->memNYUBEFKEIKA, f->memNYUKEIKA, f->memTAIJOUHO, f->memTAIYAKU,
                                            f->memTAIHOU};
                for (int i = 0; i < 5; ++i) {
                    memos[i]->setFocus();
                    memos[i]->selectAll();
                    const QStringList lines = kTyped[i].split('\n');
                    for (int l = 0; l < lines.size(); ++l) {
                        if (l > 0)
                            QTest::keyClick(memos[i], Qt::Key_Return);
                        commitText(memos[i], lines[l]);
                    }
                }
                std::printf("TYPED\n");
                std::fflush(stdout);
            });
            int kno = 1, verno = 1;
            main->openSummaryEditor(false, kno, verno);
            return;
        }
    });
    poll->start(20);
    startKlov();
    ADD_FAILURE() << "the program ended before it was killed";
}

TEST_F(EditorTest, CrashWhileTypingLosesNothingOlderThanOneTick)
{
    loginAs(QStringLiteral("dr1"), 0);
    addSummary(1, 1);
    CommonU::WriteIniStr("KLOVDB", "PASS", testenv::password());
    CommonU::WriteIniStr("KLOVDB", "SOURCE", dataSource());

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_DATA_HOME"), FTmp->path());
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("KLOV_CRASH_CHILD"), QStringLiteral("1"));
    QProcess child;
    child.setProcessEnvironment(env);
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--gtest_filter=EditorCrashChild.TypesIntoTheEditorUntilKilled")});
    ASSERT_TRUE(child.waitForStarted());
    QByteArray out;
    ASSERT_TRUE(waitFor([&] {
        out += child.readAllStandardOutput();
        return out.contains("TYPED\n") || child.state() == QProcess::NotRunning;
    }, 60000));
    ASSERT_TRUE(out.contains("TYPED\n")) << out.toStdString() << child.readAllStandardError().toStdString();
    // One tick later everything typed so far is on disk.
    QElapsedTimer typed;
    typed.start();
    waitFor([&] { return typed.elapsed() > 16000; }, 20000);
    child.kill();
    ASSERT_TRUE(child.waitForFinished());
    EXPECT_EQ(child.exitStatus(), QProcess::CrashExit);

    const QString dir = dataFolder();
    EXPECT_EQ(fileBytes(dir + "KNO.txt"), QByteArray("1\r\n1\r\n"));
    EXPECT_EQ(fileBytes(dir + "NYUKEIKA.txt"), QByteArray("第3病日より解熱\r\n抗菌薬終了\r\n"));

    // Start the program again and take the offer to restore.
    FDm->ADOCPOST.close();
    G().dm = nullptr;
    QStringList restored;
    whenModal(QStringLiteral("TFrmLogin"), [&](QWidget* w) {
        whenModal(QStringLiteral("TFrmUpdTaiyou"), [&](QWidget* w) {
            auto* f = static_cast<TFrmUpdTaiyou*>(w);
            for (QPlainTextEdit* m : {f->memNYUBEFKEIKA, f->memNYUKEIKA, f->memTAIJOUHO, f->memTAIYAKU, f->memTAIHOU})
                restored << m->toPlainText();
            QWidget* main = f->parentWidget();
            QTest::mouseClick(f->bbtnClose, Qt::LeftButton);   // Yes to leaving unsaved
            QTimer::singleShot(0, main, [main] { main->close(); });
        }, 30000);
        logIn(w);
    });
    EXPECT_EQ(startKlov(), 0);
    EXPECT_TRUE(boxes.texts().contains(QStringLiteral("本端末で前回入力中に異常終了しています。復元し入力継続しますか？")))
        << boxes.texts().join('|').toStdString();
    ASSERT_EQ(restored.size(), 5);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(restored[i], kTyped[i] + QStringLiteral("\n")) << i;
    EXPECT_FALSE(QFile::exists(dir + "KNO.txt"));
}
