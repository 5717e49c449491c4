// Connect step and login against the real server.

#include "app/CommonU.h"
#include "app/FrmLoginU.h"
#include "common/TestApp.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>

class LoginTest : public AppTest {
protected:
    void addUser(const QString& id, const QString& pass, const QString& from, const QString& to)
    {
        TQuery q(&conn());
        q.setSql(R"(INSERT INTO "KLOV"."M_USER" ("USERID","PASSW","USERNM","JTYP","WOK","SOK","KOK","MNTFLG","YSTRDTE","YENDDTE")
                    VALUES (:ID, :PW, :NM, 1, 1, 0, 1, 0, TO_TIMESTAMP(:F,'YYYYMMDD'), TO_TIMESTAMP(:T,'YYYYMMDD')))");
        q.setText("ID", id, 24).setText("PW", pass, 24).setText("NM", QStringLiteral(" 記録 花子 "), 64);
        q.setText("F", from, 8).setText("T", to, 8);
        q.execSql();
    }
    // The day the login takes from the server's clock.
    QDate serverToday() { return CommonU::GetServerTime().date(); }
    QString ymd(const QDate& d) { return d.toString(QStringLiteral("yyyyMMdd")); }

    std::unique_ptr<TFrmLogin> openLogin()
    {
        auto dlg = std::make_unique<TFrmLogin>();
        dlg->show();
        QApplication::processEvents();
        return dlg;
    }
    void attempt(TFrmLogin& dlg, const QString& user, const QString& pass)
    {
        dlg.edtUser->setText(user);
        dlg.edtPass->setText(pass);
        QTest::mouseClick(dlg.Button1, Qt::LeftButton);
    }
};

TEST_F(LoginTest, ValidityPeriodIsInclusiveAndUsesTheWorkstationsDate)
{
    // The server's session in a zone whose date differs from the
    // workstation's now, whatever the workstation's own zone (UTC+14 and
    // UTC-12 lie 26 hours apart, so one of them always does): the day is the
    // workstation's, on the server's clock.
    const QDateTime utc = QDateTime::currentDateTimeUtc();
    const bool ahead = utc.addSecs(14 * 3600).date() != QDate::currentDate();
    dm().ADOCPOST.execDirect(ahead ? QStringLiteral("SET TimeZone = 'Etc/GMT-14'")
                                   : QStringLiteral("SET TimeZone = 'Etc/GMT+12'"));
    const QDate today = QDate::currentDate();
    EXPECT_EQ(serverToday(), today);
    addUser("endstoday", "pw", "20000101", ymd(today));
    addUser("endedyest", "pw", "20000101", ymd(today.addDays(-1)));
    addUser("startstom", "pw", ymd(today.addDays(1)), "20991231");

    auto dlg = openLogin();
    attempt(*dlg, QStringLiteral("endedyest"), QStringLiteral("pw"));
    ASSERT_EQ(boxes.boxes.size(), 1);
    EXPECT_EQ(boxes.boxes[0].kind, msg::TKind::PlatformWarning);
    EXPECT_EQ(boxes.boxes[0].caption, QStringLiteral("退院サマリー作成支援"));
    EXPECT_EQ(boxes.last(), QStringLiteral("本ユーザーは有効期間2000/01/01～")
                                + today.addDays(-1).toString(QStringLiteral("yyyy/MM/dd"))
                                + QStringLiteral("のためログインできません。"));
    attempt(*dlg, QStringLiteral("startstom"), QStringLiteral("pw"));
    EXPECT_EQ(boxes.last(), QStringLiteral("本ユーザーは有効期間") + today.addDays(1).toString(QStringLiteral("yyyy/MM/dd"))
                                + QStringLiteral("～2099/12/31のためログインできません。"));
    EXPECT_TRUE(dlg->isVisible()) << "two failures keep the dialog open";
    attempt(*dlg, QStringLiteral(" endstoday"), QStringLiteral(" pw  "));
    EXPECT_EQ(boxes.boxes.size(), 2);
    EXPECT_EQ(dlg->result(), QDialog::Accepted);
    EXPECT_EQ(G().user.userId, QStringLiteral("endstoday"));
    EXPECT_EQ(G().user.userName, QStringLiteral("記録 花子"));
    EXPECT_EQ(G().user.jobType, 1);
    EXPECT_TRUE(G().user.WOK);
    EXPECT_FALSE(G().user.SOK);
    EXPECT_TRUE(G().user.KOK);
    EXPECT_FALSE(G().user.MNTFLG);
    QString stored;
    ASSERT_TRUE(CommonU::ReadIniStr("KLOVDB", "USER", stored));
    EXPECT_EQ(stored, QStringLiteral("endstoday"));
}

TEST_F(LoginTest, BothWarningsInOrderAndTheThirdFailureCloses)
{
    addUser("old", "secret", "20000101", "20010101");
    addUser("ok", "Pass word", "20000101", "20991231");
    auto dlg = openLogin();
    attempt(*dlg, QStringLiteral("old"), QStringLiteral("wrong"));
    ASSERT_EQ(boxes.boxes.size(), 2);
    EXPECT_EQ(boxes.boxes[0].text, QStringLiteral("本ユーザーは有効期間2000/01/01～2001/01/01のためログインできません。"));
    EXPECT_EQ(boxes.boxes[1].text, QStringLiteral("パスワードが違います。"));
    EXPECT_TRUE(dlg->edtPass->hasFocus() || !dlg->isActiveWindow());
    attempt(*dlg, QStringLiteral("nobody"), QStringLiteral("x"));
    EXPECT_EQ(boxes.last(), QStringLiteral("未登録ユーザーです。"));
    EXPECT_TRUE(dlg->isVisible());
    attempt(*dlg, QStringLiteral("ok"), QStringLiteral("pass word"));  // case counts, inner blank counts
    EXPECT_EQ(boxes.last(), QStringLiteral("パスワードが違います。"));
    EXPECT_EQ(dlg->result(), QDialog::Rejected);
    EXPECT_FALSE(dlg->isVisible()) << "the third failed click closes the dialog";
    EXPECT_TRUE(G().user.userId.isEmpty());
    QString stored = QStringLiteral("untouched");
    EXPECT_FALSE(CommonU::ReadIniStr("KLOVDB", "USER", stored));
}

TEST_F(LoginTest, TwoFailuresThenSuccess)
{
    addUser("ok", "Pass word", "20000101", "20991231");
    auto dlg = openLogin();
    attempt(*dlg, QStringLiteral("ok"), QStringLiteral("x"));
    attempt(*dlg, QStringLiteral("ok"), QStringLiteral("y"));
    attempt(*dlg, QStringLiteral("ok"), QStringLiteral("Pass word"));
    EXPECT_EQ(dlg->result(), QDialog::Accepted);
    EXPECT_EQ(dlg->attempts(), 3);
}

TEST_F(LoginTest, AFailedConnectEmptiesTheConfiguration)
{
    CommonU::WriteIniStr("KLOVDB", "SOURCE", QStringLiteral("no_such_service"));
    CommonU::WriteIniStr("KLOVDB", "PASS", QStringLiteral("secret"));
    FDm->ADOCPOST.close();
    G().dbSource = QStringLiteral("no_such_service");
    auto dlg = openLogin();
    ASSERT_TRUE(waitFor([&] { return !dlg->isVisible(); }));
    EXPECT_TRUE(dlg->terminateRequested());
    ASSERT_EQ(boxes.boxes.size(), 1);
    EXPECT_EQ(boxes.boxes[0].kind, msg::TKind::Warning);
    EXPECT_EQ(boxes.boxes[0].text, QStringLiteral("データベースに障害が発生しました。"));
    QString source = QStringLiteral("x"), pass = QStringLiteral("x");
    EXPECT_TRUE(CommonU::ReadIniStr("KLOVDB", "SOURCE", source));
    EXPECT_TRUE(CommonU::ReadIniStr("KLOVDB", "PASS", pass));
    EXPECT_EQ(source, QString());
    EXPECT_EQ(pass, QString());

    // with a good source a second connect step reuses the open connection
    G().dbSource = dataSource();
    auto dlg2 = openLogin();
    EXPECT_TRUE(dlg2->isVisible());
    EXPECT_TRUE(dm().ADOCPOST.connected());
    EXPECT_TRUE(dlg2->ConnectDb());
    EXPECT_EQ(boxes.boxes.size(), 1);
}
