// Start-up: first-run dialog, single instance, the main window after login,
// and the base form's keys and status bar.

#include "app/CommonU.h"
#include "app/FrmDBSettingU.h"
#include "app/FrmLoginU.h"
#include "app/FrmOBaseU.h"
#include "app/FrmVerU.h"
#include "app/KlovApplication.h"
#include "app/Startup.h"
#include "db/Errors.h"
#include "common/TestApp.h"
#include "main/FrmMainU.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QStatusBar>
#include <QCheckBox>
#include <QRadioButton>
#include <QTest>
#include <QVBoxLayout>

class StartupTest : public AppTest {
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        FDm->ADOCPOST.close();
        G().dm = nullptr;
        sql(R"(INSERT INTO "KLOV"."M_USER" ("USERID","PASSW","USERNM","JTYP","WOK","SOK","KOK","MNTFLG","YSTRDTE","YENDDTE")
               VALUES ('admin','admin123','管理 太郎',0,1,1,1,1,'2000-01-01','2099-12-31'),
                      ('dc1','dc1123','記録 花子',1,1,0,0,0,'2000-01-01','2099-12-31'))");
    }
};

TEST_F(StartupTest, FirstStartCancelledWritesNothing)
{
    G().dbSource.clear();
    whenModal(QStringLiteral("TFrmDBSetting"), [](QWidget* w) {
        QTest::mouseClick(w->findChild<QPushButton*>(QStringLiteral("Button2")), Qt::LeftButton);
    });
    EXPECT_EQ(startKlov(), 0);
    QFile ini(CommonU::iniPath());
    ini.open(QIODevice::ReadOnly);
    EXPECT_FALSE(QFileInfo::exists(CommonU::iniPath())) << ini.readAll().toStdString() << boxes.texts().join(QLatin1Char('|')).toStdString();
    EXPECT_FALSE(QFileInfo::exists(G().dataFolder));
}

TEST_F(StartupTest, DataSourceDialogRefusesBlanksAndStoresValuesAsTyped)
{
    QDir(G().dataFolder).removeRecursively();
    TFrmDBSetting dlg;
    dlg.show();
    dlg.edtSource->setText(QStringLiteral("   "));
    dlg.edtPass->setText(QStringLiteral("pw"));
    QTest::mouseClick(dlg.Button1, Qt::LeftButton);
    EXPECT_EQ(boxes.last(), QStringLiteral("データソースが未設定です。"));
    EXPECT_TRUE(QFileInfo::exists(G().dataFolder)) << "the folder is made on the first click";
    dlg.edtSource->setText(QStringLiteral(" klov "));
    dlg.edtPass->setText(QStringLiteral("  "));
    QTest::mouseClick(dlg.Button1, Qt::LeftButton);
    EXPECT_EQ(boxes.last(), QStringLiteral("パスワードが未設定です。"));
    EXPECT_EQ(boxes.boxes[1].kind, msg::TKind::PlatformWarning);
    EXPECT_TRUE(dlg.isVisible());
    dlg.edtPass->setText(QStringLiteral(" p w "));
    QTest::mouseClick(dlg.Button1, Qt::LeftButton);
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(dlg.FSource, QStringLiteral(" klov "));
    EXPECT_EQ(dlg.FPass, QStringLiteral(" p w "));
    EXPECT_EQ(dlg.edtSource->maxLength(), 128);
    // Enter moves on instead of pressing a button
    dlg.show();
    QApplication::setActiveWindow(&dlg);
    dlg.edtSource->setFocus();
    QTest::keyClick(dlg.edtSource, Qt::Key_Return);
    EXPECT_TRUE(dlg.edtPass->hasFocus());
}

TEST_F(StartupTest, FirstStartThenLoginShowsTheMainWindow)
{
    G().dbSource.clear();
    whenModal(QStringLiteral("TFrmDBSetting"), [this](QWidget* w) {
        auto* dlg = static_cast<TFrmDBSetting*>(w);
        dlg->edtSource->setText(dataSource());
        dlg->edtPass->setText(testenv::password());
        whenModal(QStringLiteral("TFrmLogin"), [](QWidget* w) {
            auto* login = static_cast<TFrmLogin*>(w);
            login->edtUser->setText(QStringLiteral("dc1"));
            login->edtPass->setText(QStringLiteral("dc1123"));
            QTimer::singleShot(0, [login] { QTest::mouseClick(login->Button1, Qt::LeftButton); });
        });
        QTest::mouseClick(dlg->Button1, Qt::LeftButton);
    });
    QString userName, jobType;
    bool backupEnabled = true, linkVisible = true;
    auto* poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, [&] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            auto* main = qobject_cast<TFrmMain*>(w);
            if (main && main->loggedIn()) {
                poll->stop();
                userName = main->lblUserNm->text();
                jobType = main->lblJTyp->text();
                backupEnabled = main->mmnBack->isEnabled();
                linkVisible = main->QARNLink->isVisible();
                EXPECT_EQ(main->panelText(2), QStringLiteral("記録 花子"));
                EXPECT_EQ(main->lblNoRead->text(), QStringLiteral("0"));
                EXPECT_EQ(main->lblSIKYU->text(), QStringLiteral("0"));
                QTest::keyClick(main, Qt::Key_Escape);   // Escape closes and ends the program
            }
        }
    });
    poll->start(20);
    EXPECT_EQ(startKlov(), 0);
    delete poll;
    EXPECT_EQ(userName, QStringLiteral("記録 花子"));
    EXPECT_EQ(jobType, QStringLiteral("ＤＣ"));
    EXPECT_FALSE(backupEnabled);
    EXPECT_FALSE(linkVisible) << "no sibling schema";
    QString v;
    ASSERT_TRUE(CommonU::ReadIniStr("KLOVDB", "SOURCE", v));
    EXPECT_EQ(v, dataSource());
    ASSERT_TRUE(CommonU::ReadIniStr("KLOVDB", "PASS", v));
    EXPECT_EQ(v, testenv::password());
    ASSERT_TRUE(CommonU::ReadIniStr("KLOVDB", "USER", v));
    EXPECT_EQ(v, QStringLiteral("dc1"));
}

TEST_F(StartupTest, CancelledLoginEndsTheProgram)
{
    CommonU::WriteIniStr("KLOVDB", "PASS", testenv::password());
    CommonU::WriteIniStr("KLOVDB", "SOURCE", dataSource());
    whenModal(QStringLiteral("TFrmLogin"), [](QWidget* w) {
        QTest::mouseClick(w->findChild<QPushButton*>(QStringLiteral("Button2")), Qt::LeftButton);
    });
    EXPECT_EQ(startKlov(), 0);
    EXPECT_TRUE(boxes.boxes.isEmpty()) << boxes.texts().join(QLatin1Char('|')).toStdString();
}

TEST_F(StartupTest, SecondProcessExitsAndTheFirstStays)
{
    CommonU::WriteIniStr("KLOVDB", "PASS", testenv::password());
    CommonU::WriteIniStr("KLOVDB", "SOURCE", dataSource());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_DATA_HOME"), FTmp->path());
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    QProcess first, second;
    first.setProcessEnvironment(env);
    second.setProcessEnvironment(env);
    first.start(QStringLiteral(KLOV_EXE), {});
    ASSERT_TRUE(first.waitForStarted());
    // the first copy is up once it has connected (its login dialog waits)
    ASSERT_TRUE(waitFor([&] {
        return scalar(QStringLiteral("SELECT COUNT(*) FROM pg_stat_activity WHERE datname = '%1'").arg(dbName())).toInt() >= 2;
    }, 20000));
    second.start(QStringLiteral(KLOV_EXE), {});
    ASSERT_TRUE(second.waitForFinished(15000));
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_EQ(first.state(), QProcess::Running);
    first.kill();
    first.waitForFinished();
}

TEST_F(StartupTest, BaseFormKeysAndStatusBar)
{
    G().user.userName = QStringLiteral("管理 太郎");
    TFrmOBase form;
    auto* lay = new QVBoxLayout(form.body());
    auto* a = new QLineEdit(form.body());
    auto* memo = new QPlainTextEdit(form.body());
    auto* check = new QCheckBox(QStringLiteral("c"), form.body());
    auto* radio = new QRadioButton(QStringLiteral("r"), form.body());
    auto* b = new QLineEdit(form.body());
    b->setStatusTip(QStringLiteral("ヒント"));
    lay->addWidget(a);
    lay->addWidget(memo);
    lay->addWidget(check);
    lay->addWidget(radio);
    lay->addWidget(b);
    form.show();
    QApplication::setActiveWindow(&form);
    EXPECT_EQ(form.windowTitle(), QStringLiteral("退院サマリー作成支援"));
    EXPECT_EQ(form.font().family(), QStringLiteral("ＭＳ Ｐゴシック"));
    EXPECT_EQ(form.font().pixelSize(), 12);
    EXPECT_EQ(form.panelText(0), QDate::currentDate().toString(QStringLiteral("yyyy/MM/dd")));
    EXPECT_EQ(form.panelText(1).size(), 5);
    EXPECT_EQ(form.panelText(2), QStringLiteral("管理 太郎"));
    a->setFocus();
    QTest::keyClick(a, Qt::Key_Return);
    EXPECT_TRUE(memo->hasFocus());
    QTest::keyClicks(memo, QStringLiteral("x"));
    QTest::keyClick(memo, Qt::Key_Return);
    QTest::keyClicks(memo, QStringLiteral("y"));
    EXPECT_EQ(memo->toPlainText(), QStringLiteral("x\ny")) << "Enter in a memo is a line break";
    EXPECT_TRUE(memo->hasFocus());
    // Enter on a check box or radio button moves on and changes nothing
    check->setFocus();
    QTest::keyClick(check, Qt::Key_Return);
    EXPECT_FALSE(check->isChecked());
    EXPECT_TRUE(radio->hasFocus());
    QTest::keyClick(radio, Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_FALSE(radio->isChecked());
    EXPECT_TRUE(b->hasFocus());
    QStatusTipEvent tip(b->statusTip());
    QApplication::sendEvent(&form, &tip);
    EXPECT_EQ(form.panelText(3), QStringLiteral("ヒント"));
    QTest::keyClick(b, Qt::Key_Escape);
    EXPECT_FALSE(form.isVisible());
}

TEST_F(StartupTest, VersionDialogShowsTheBareVersion)
{
    TFrmVer ver;
    ver.FstrName = QStringLiteral("退院サマリー作成支援システム「ＫＬＯＶ」");
    ver.show();
    EXPECT_EQ(ver.lblVer->text(), QStringLiteral("1.1.0"));
    EXPECT_EQ(ver.lblName->text(), QStringLiteral("退院サマリー作成支援システム「ＫＬＯＶ」"));
    EXPECT_EQ(ver.windowTitle(), QStringLiteral("バージョン情報"));
    EXPECT_EQ(ver.lblMail->text(), QStringLiteral("不具合・ご質問等はこちらまで"));
    QTest::mouseClick(ver.btnOK, Qt::LeftButton);
    EXPECT_FALSE(ver.isVisible());
}

TEST_F(StartupTest, AnUncaughtErrorIsShownAndTheProgramGoesOn)
{
    QPushButton button;
    QObject::connect(&button, &QPushButton::clicked, [] {
        throw EQueryError(QStringLiteral("relation \"KLOV.X\" does not exist"), QStringLiteral("42P01"));
    });
    QTest::mouseClick(&button, Qt::LeftButton);
    ASSERT_EQ(boxes.boxes.size(), 1);
    EXPECT_EQ(boxes.boxes[0].kind, msg::TKind::Warning);
    EXPECT_EQ(boxes.boxes[0].text, QStringLiteral("relation \"KLOV.X\" does not exist"));
    QTest::mouseClick(&button, Qt::LeftButton);
    EXPECT_EQ(boxes.boxes.size(), 2);
}

TEST(JapaneseTexts, QtsOwnButtonsSpeakJapanese)
{
    auto* app = static_cast<TKlovApplication*>(qApp);
    ASSERT_TRUE(app->installJapanese()) << "Qt's Japanese translations are not installed";
    QMessageBox box(QMessageBox::Question, QStringLiteral("t"), QStringLiteral("q"), QMessageBox::Yes | QMessageBox::No);
    EXPECT_TRUE(box.button(QMessageBox::Yes)->text().startsWith(QStringLiteral("はい"))) << box.button(QMessageBox::Yes)->text().toStdString();
    EXPECT_TRUE(box.button(QMessageBox::No)->text().startsWith(QStringLiteral("いいえ")));
    EXPECT_EQ(QLocale().language(), QLocale::Japanese);
    QLocale::setDefault(QLocale::c());
}

TEST_F(StartupTest, AnUnreadableConfigurationIsReportedNotReplaced)
{
    G().dataFolder = defaultDataFolder();
    QDir().mkpath(G().dataFolder);
    {
        QFile f(CommonU::iniPath());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("[KLOVDB]\r\nSOURCE=\xff\r\n");
    }
    EXPECT_NE(startKlov(), 0);
    ASSERT_EQ(boxes.boxes.size(), 1);
    EXPECT_EQ(boxes.boxes[0].kind, msg::TKind::PlatformWarning);
    EXPECT_TRUE(boxes.last().startsWith(QStringLiteral("設定ファイルを読み込めません。")));
    QFile f(CommonU::iniPath());
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("[KLOVDB]\r\nSOURCE=\xff\r\n"));
    QFile::remove(CommonU::iniPath());
}
