// Long operations: a statement stopped with the progress window's 中止 comes
// back at once on a usable connection, quick work never shows the window,
// nothing else runs on the connection meanwhile, and a stopped main list is
// empty and says nothing.

#include "MainLogin.h"
#include "app/LongOperation.h"
#include "common/TestApp.h"
#include "controls/DBGrid.h"
#include "db/Errors.h"
#include "main/FrmMainU.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>

class LongOperationTest : public AppTest {
protected:
    static void stopWhenShown()
    {
        whenModal(QStringLiteral("FrmProgress"), [](QWidget* w) { static_cast<TFrmProgress*>(w)->btnCancel->click(); });
    }
};

TEST_F(LongOperationTest, AStoppedStatementReturnsAtOnceOnAUsableConnection)
{
    TConnection& c = dm().ADOCPOST;
    TQuery q(&c);
    {
        TLongOperation quick(nullptr, QStringLiteral("一覧を読み込んでいます。"));
        q.setSql(QStringLiteral("SELECT 1 AS n"));
        q.open();
        EXPECT_EQ(q.field("n").asInteger(), 1);
        EXPECT_FALSE(quick.dialogShown());
    }

    QString shown;
    bool refused = false;
    whenModal(QStringLiteral("FrmProgress"), [&](QWidget* w) {
        auto* f = static_cast<TFrmProgress*>(w);
        shown = f->windowTitle() + QLatin1Char('|') + f->lblProgress->text() + QLatin1Char('|') + f->btnCancel->text();
        // What a timer might start meanwhile is refused, not sent.
        TQuery second(&c);
        second.setSql(QStringLiteral("SELECT 2"));
        try {
            second.open();
        } catch (const EConnectionBusy&) {
            refused = true;
        }
        f->btnCancel->click();
    });
    QElapsedTimer t;
    t.start();
    q.setSql(QStringLiteral("SELECT pg_sleep(30)"));
    EXPECT_THROW(
        {
            TLongOperation op(nullptr, QStringLiteral("一覧を読み込んでいます。"));
            q.open();
        },
        ECancelled);
    EXPECT_GE(t.elapsed(), TLongOperation::kShowAfterMs);
    EXPECT_LT(t.elapsed(), 5000);
    EXPECT_EQ(shown, QStringLiteral("退院サマリー作成支援|一覧を読み込んでいます。|中止"));
    EXPECT_TRUE(refused);
    EXPECT_FALSE(q.active());
    q.setSql(QStringLiteral("SELECT 3 AS n"));
    q.open();
    EXPECT_EQ(q.field("n").asInteger(), 3);
    EXPECT_EQ(c.reconnectCount(), 0);
    EXPECT_EQ(scalar(R"(SELECT COUNT(*) FROM pg_stat_activity WHERE "query" LIKE '%pg_sleep(30)' AND "state" = 'active')"),
              QStringLiteral("0"));
}

TEST_F(LongOperationTest, AStoppedMainListIsEmptyAndSaysNothing)
{
    sql(R"(INSERT INTO "KLOV"."M_USER" ("USERID","PASSW","USERNM","JTYP","WOK","SOK","KOK","MNTFLG","YSTRDTE","YENDDTE")
             VALUES ('boss','pw','院長',0,1,1,1,1,'2000-01-01','2099-12-31');
           INSERT INTO "KLOV"."D_TAIYOU" ("KNO","VERNO","ID","NDTE","TDTE","ACTKBN","DELKBN","WFLG","SFLG","KFLG","KACD","SYUDR")
             VALUES (1,1,3,'2024-05-01','2024-05-20',1,0,0,0,0,1,'boss');)");
    TFrmMain main;
    ASSERT_TRUE(showLoggedIn(main, QStringLiteral("boss")));
    ASSERT_EQ(main.lblKENSU->text(), QStringLiteral("1"));

    // Another workstation holds the table: the list waits until stopped.
    conn().beginTrans();
    conn().execDirect(QStringLiteral(R"(LOCK TABLE "KLOV"."D_TAIYOU" IN ACCESS EXCLUSIVE MODE)"));
    stopWhenShown();
    boxes.boxes.clear();
    main.bbtnFilter->click();
    EXPECT_EQ(main.lblKENSU->text(), QStringLiteral("0"));
    EXPECT_EQ(main.dbgMei->rowCount(), 0);
    EXPECT_TRUE(boxes.texts().isEmpty()) << boxes.last().toStdString();
    conn().rollbackTrans();
    main.bbtnFilter->click();
    EXPECT_EQ(main.lblKENSU->text(), QStringLiteral("1"));
}
