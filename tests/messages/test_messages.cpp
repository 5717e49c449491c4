// Internal messages: composing with the recipient picker, one number for all
// recipients (also when two workstations send at once), reading and the
// delete rules of inbox and outbox, the list's filters, and the print.

#include "common/PageCapture.h"
#include "common/TestApp.h"

#include "app/FrmLoginU.h"
#include "app/Theme.h"
#include "controls/DBGrid.h"
#include "controls/PlPrev.h"
#include "db/Numbers.h"
#include "db/Transaction.h"
#include "main/FrmMainU.h"
#include "messages/FrmMailMainU.h"
#include "messages/FrmReadMessU.h"
#include "messages/FrmUpdMessU.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>

#include <algorithm>
#include <atomic>
#include <thread>

namespace {

class MessTest : public AppTest {
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        loginAs(QStringLiteral("dc1"), 1);
        loginAs(QStringLiteral("ot1"), 9);
        loginAs(QStringLiteral("dr1"));
        sql(R"(INSERT INTO "KLOV"."M_USER" ("USERID","USERNM","USERKANA","JTYP","YSTRDTE","YENDDTE") VALUES
                 ('gone','退職者','たいしょく',0,'2000-01-01','2001-03-31'),
                 ('new','新人','しんじん',0,'2099-01-01','2099-12-31'))");
    }

    // Column of the picker or list grid, top to bottom.
    static QStringList column(const TDBGrid* g, int col)
    {
        QStringList out;
        for (int r = 0; r < g->rowCount(); ++r)
            out << g->cellText(r, col);
        return out;
    }
    static void pick(TFrmUpdMess& f, const QString& id)
    {
        ASSERT_TRUE(f.dbgMei->locate(QStringLiteral("USERID"), id)) << id.toStdString();
        f.bbtnAddClick();
    }
    // Sends as the logged-in user; returns the number (0 when not sent).
    int send(const QStringList& to, const QString& subject, const QString& content, bool urgent = false)
    {
        TFrmUpdMess f;
        f.FormShow();
        for (const QString& id : to)
            pick(f, id);
        f.edtKENMEI->setText(subject);
        f.memNAIYO->setPlainText(content);
        f.cbLBLKBN->setChecked(urgent);
        f.bbtnInsertClick();
        return f.result() == QDialog::Accepted ? f.FMESSNO : 0;
    }
    // Opens the current row of the list in the read dialog and closes it.
    void openCurrent(TFrmMailMain& list, std::function<void(TFrmReadMess*)> check = {})
    {
        whenModal(QStringLiteral("TFrmReadMess"), [check](QWidget* w) {
            if (check)
                check(static_cast<TFrmReadMess*>(w));
            w->close();
        });
        list.dbgMeiDblClick();
    }
    QString rows()
    {
        return scalar(R"(SELECT STRING_AGG("MESSNO" || ':' || TRIM("RUSERID") || ':' || "KFLG" || "RDELFLG" || "SDELFLG", ' '
                         ORDER BY "MESSNO", "RUSERID") FROM "KLOV"."D_MESS")");
    }
};

} // namespace

TEST_F(MessTest, PickerAndSendingOneNumberPerMessage)
{
    TFrmUpdMess f;
    f.FormShow();
    // Users valid today only, the sender among them, in kana order.
    EXPECT_EQ(column(f.dbgMei, 0), (QStringList{"dc1", "dr1", "ot1"}));
    EXPECT_EQ(column(f.dbgMei, 1), (QStringList{"ＤＣ", "医師", "その他"}));
    f.cmbJTYP->setCurrentIndex(3);
    f.bbtnSrcClick();
    EXPECT_EQ(column(f.dbgMei, 0), QStringList{"ot1"});
    f.cmbJTYP->setCurrentIndex(0);
    f.edtKANA->setText(QStringLiteral("_"));   // an underscore is no wildcard
    f.bbtnSrcClick();
    EXPECT_EQ(f.dbgMei->rowCount(), 0);
    f.edtKANA->clear();
    f.bbtnSrcClick();

    f.bbtnInsertClick();
    EXPECT_EQ(boxes.last(), QStringLiteral("送信先が登録されていません。"));
    pick(f, "ot1");
    pick(f, "dc1");
    pick(f, "ot1");   // a second time is ignored
    pick(f, "dr1");
    EXPECT_EQ(f.recipients(), (QStringList{"ot1", "dc1", "dr1"}));
    f.lstbSUSER->clearSelection();
    f.lstbSUSER->setCurrentRow(-1);
    f.bbtnDelClick();
    EXPECT_EQ(f.lstbSUSER->count(), 3) << "nothing without a selection";
    f.lstbSUSER->setCurrentRow(2);
    f.bbtnDelClick();
    EXPECT_EQ(f.recipients(), (QStringList{"ot1", "dc1"}));

    // Empty subject and content ask; No keeps the dialog open.
    boxes.boxes.clear();
    boxes.answer(QMessageBox::No);
    f.bbtnInsertClick();
    boxes.answer(QMessageBox::Yes);
    boxes.answer(QMessageBox::No);
    f.bbtnInsertClick();
    EXPECT_EQ(boxes.texts(), (QStringList{"件名が入力されていませんがよろしいですか？", "件名が入力されていませんがよろしいですか？",
                                          "内容が入力されていませんがよろしいですか？"}));
    // Content beyond what the column holds is refused, not cut.
    f.edtKENMEI->setText(QStringLiteral("会議"));
    f.memNAIYO->setPlainText(QString(299, QChar(u'あ')) + QStringLiteral("\nい"));
    f.bbtnInsertClick();
    EXPECT_EQ(boxes.last(), QStringLiteral("内容には300文字までしか入力できません。\r\n（現在302文字）"));
    EXPECT_EQ(rows(), QString());

    f.memNAIYO->setPlainText(QStringLiteral("  15時から\n第2会議室"));
    f.cbLBLKBN->setChecked(true);
    f.bbtnInsertClick();
    ASSERT_EQ(f.result(), QDialog::Accepted) << boxes.last().toStdString();
    EXPECT_EQ(f.FMESSNO, 1);
    EXPECT_EQ(rows(), QStringLiteral("1:dc1:000 1:ot1:000"));
    EXPECT_EQ(scalar(R"(SELECT STRING_AGG(DISTINCT "SUSERID" || '|' || "KENMEI" || '|' || "NAIYO" || '|' || "LBLKBN"
                          || '|' || ("KDTM" IS NULL) || '|' || ("SDTM" IS NOT NULL), ',') FROM "KLOV"."D_MESS")"),
              QStringLiteral("dr1|会議|15時から\r\n第2会議室|1|true|true"));
    EXPECT_EQ(send({"dc1"}, QStringLiteral("次"), QStringLiteral("x")), 2);
}

TEST_F(MessTest, TwoWorkstationsSendingAtOnceTakeDistinctNumbers)
{
    // The other workstation allocates and holds its number while this one sends.
    std::atomic<bool> holding{false};
    int other = 0;
    std::thread t([&] {
        TConnection c;
        c.open(dataSource(), testenv::password());
        runTransaction(c, [&] {
            other = numbers::nextMessno(c);
            TQuery q(&c);
            q.setSql(R"(INSERT INTO "KLOV"."D_MESS" ("MESSNO","RUSERID","SUSERID") VALUES (:N, 'dc1', 'ot1'))");
            q.setInt("N", other).execSql();
            holding = true;
            std::this_thread::sleep_for(std::chrono::milliseconds(400));
        });
    });
    ASSERT_TRUE(waitFor([&] { return holding.load(); }));
    const int mine = send({"dc1", "ot1"}, QStringLiteral("件"), QStringLiteral("本文"));
    t.join();
    EXPECT_EQ(other, 1);
    EXPECT_EQ(mine, 2) << boxes.last().toStdString();
    EXPECT_EQ(rows(), QStringLiteral("1:dc1:000 2:dc1:000 2:ot1:000"));
}

TEST_F(MessTest, ReadingAndTheDeleteRulesOfBothViews)
{
    ASSERT_EQ(send({"dc1", "ot1", "dr1"}, QStringLiteral("回診"), QStringLiteral("10時")), 1);

    // The sender opening it from the outbox leaves it unread.
    TFrmMailMain out;
    out.rbSend->setChecked(true);
    out.FormShow();
    ASSERT_EQ(out.dbgMei->rowCount(), 3);
    QStringList partners = column(out.dbgMei, 3);
    partners.sort();
    EXPECT_EQ(partners, (QStringList{"dc1先生", "dr1先生", "ot1先生"}));
    ASSERT_TRUE(out.dbgMei->locate(QStringLiteral("RUSERID"), QStringLiteral("dc1")));
    openCurrent(out, [](TFrmReadMess* r) {
        EXPECT_EQ(r->lblRSSTS->text(), QStringLiteral("送　信"));
        EXPECT_EQ(r->lblUSERNM->text(), QStringLiteral("dc1先生"));
        EXPECT_EQ(r->edtKENMEI->text(), QStringLiteral("回診"));
    });
    EXPECT_EQ(out.ADOQMei->field("RUSERID").asString(), QStringLiteral("dc1")) << "the row is found again";
    EXPECT_EQ(rows(), QStringLiteral("1:dc1:000 1:dr1:000 1:ot1:000"));

    // The recipient cannot delete it unread; opening it marks and stamps it.
    loginAs(QStringLiteral("dc1"), 1);
    TFrmMailMain in;
    in.FormShow();
    ASSERT_EQ(in.dbgMei->rowCount(), 1);
    EXPECT_EQ(in.dbgMei->cellText(0, 2), QStringLiteral("未読"));
    EXPECT_EQ(in.dbgMei->rowColors(0).selectedBackground, theme::kNavy);
    in.bbtnDeleteClick();
    EXPECT_EQ(boxes.last(), QStringLiteral("受信後既読前のメッセージは削除できません。"));
    openCurrent(in, [](TFrmReadMess* r) {
        EXPECT_EQ(r->lblRSSTS->text(), QStringLiteral("受　信"));
        EXPECT_EQ(r->lblUSERNM->text(), QStringLiteral("dr1先生"));
        EXPECT_TRUE(r->lblKIDOKU->isHidden()) << "unread as stored before this opening";
    });
    EXPECT_EQ(scalar(R"(SELECT COUNT(*) FROM "KLOV"."D_MESS" WHERE "RUSERID" = 'dc1' AND "KDTM" IS NOT NULL)"), QStringLiteral("1"));
    EXPECT_EQ(in.dbgMei->cellText(0, 2), QStringLiteral("既読"));
    EXPECT_EQ(in.dbgMei->rowColors(0).selectedBackground, theme::kSkyBlue);
    in.bbtnDeleteClick();
    EXPECT_EQ(boxes.last(), QStringLiteral("№:1「回診」を削除しますか？"));
    EXPECT_EQ(in.dbgMei->rowCount(), 0);

    // The sender: the read row is only hidden, the unread one withdrawn.
    loginAs(QStringLiteral("dr1"));
    out.openList();
    ASSERT_TRUE(out.dbgMei->locate(QStringLiteral("RUSERID"), QStringLiteral("dc1")));
    out.bbtnDeleteClick();
    EXPECT_EQ(boxes.last(), QStringLiteral("既に既読済みのため相手側は削除されません。"));
    ASSERT_TRUE(out.dbgMei->locate(QStringLiteral("RUSERID"), QStringLiteral("ot1")));
    out.bbtnDeleteClick();
    EXPECT_EQ(boxes.last(), QStringLiteral("相手が既読前のため送信取消となります。"));
    EXPECT_EQ(rows(), QStringLiteral("1:dc1:111 1:dr1:000"));
    EXPECT_EQ(column(out.dbgMei, 3), QStringList{"dr1先生"});
    EXPECT_EQ(out.dbgMei->rowColors(0).background, QColor(Qt::white));

    // The sender's own copy arrived in the inbox; a list gone stale (it was
    // deleted on another workstation) is told and read again.
    TFrmMailMain mine;
    mine.FormShow();
    ASSERT_EQ(mine.dbgMei->rowCount(), 1);
    openCurrent(mine);
    sql(R"(UPDATE "KLOV"."D_MESS" SET "RDELFLG" = 1 WHERE "RUSERID" = 'dr1')");
    boxes.boxes.clear();
    mine.bbtnDeleteClick();
    EXPECT_EQ(boxes.texts(), QStringList{kConflictMessage});
    EXPECT_EQ(mine.dbgMei->rowCount(), 0);
}

TEST_F(MessTest, ListFiltersAndSorting)
{
    ASSERT_EQ(send({"dc1"}, QStringLiteral("達成率100%"), QStringLiteral("a_b")), 1);
    ASSERT_EQ(send({"dc1"}, QStringLiteral("100件"), QStringLiteral("axb")), 2);
    ASSERT_EQ(send({"dc1"}, QStringLiteral("O'Brien"), QStringLiteral("c")), 3);
    loginAs(QStringLiteral("dc1"), 1);
    TFrmMailMain f;
    f.FormShow();
    EXPECT_EQ(f.lblJTyp->text(), QStringLiteral("ＤＣ"));
    EXPECT_EQ(column(f.dbgMei, 0), (QStringList{"1", "2", "3"})) << "opens in number order";
    f.dbgMei->titleClick(0);
    EXPECT_EQ(column(f.dbgMei, 0), (QStringList{"3", "2", "1"}));

    // The typed %, _ and quotes are plain characters of a contains match.
    f.edtKENMEI->setText(QStringLiteral(" 0% "));
    f.bbtnSrcClick();
    EXPECT_EQ(column(f.dbgMei, 0), QStringList{"1"});
    f.edtKENMEI->setText(QStringLiteral("O'B"));
    f.bbtnSrcClick();
    EXPECT_EQ(column(f.dbgMei, 0), QStringList{"3"});
    f.edtKENMEI->clear();
    f.edtNAIYO->setText(QStringLiteral("a_"));
    f.bbtnSrcClick();
    EXPECT_EQ(column(f.dbgMei, 0), QStringList{"1"});
    f.edtNAIYO->clear();
    f.bbtnSrcClick();

    ASSERT_TRUE(f.dbgMei->locate(QStringLiteral("MESSNO"), 2));
    openCurrent(f);
    f.cbMidoku->setChecked(true);
    f.cbMidokuClick();
    EXPECT_EQ(column(f.dbgMei, 0), (QStringList{"3", "1"})) << "the title sort is kept";
    f.rbSend->setChecked(true);
    f.rgRSClick();
    EXPECT_EQ(f.dbgMei->rowCount(), 0);
}

TEST_F(MessTest, MainWindowButtonOpensTheListAndCountsAgain)
{
    sql(R"(INSERT INTO "KLOV"."D_MESS" ("MESSNO","RUSERID","SUSERID","KENMEI","LBLKBN","KFLG","RDELFLG")
             VALUES (1,'dr1','dc1','至急の件',1,0,0))");
    TFrmMain m;
    whenModal(QStringLiteral("TFrmLogin"), [](QWidget* w) {
        auto* login = static_cast<TFrmLogin*>(w);
        login->edtUser->setText(QStringLiteral("dr1"));
        login->edtPass->setText(QStringLiteral("pw"));
        QTimer::singleShot(0, [login] { login->Button1->click(); });
    });
    m.show();
    ASSERT_TRUE(waitFor([&] { return m.loggedIn(); }));
    EXPECT_EQ(m.lblSIKYU->text(), QStringLiteral("1"));
    whenModal(QStringLiteral("TFrmMailMain"), [this](QWidget* w) {
        auto* list = static_cast<TFrmMailMain*>(w);
        openCurrent(*list);
        list->close();
    });
    m.bbtnMail->click();
    EXPECT_EQ(m.lblNoRead->text(), QStringLiteral("0"));
    EXPECT_EQ(m.lblSIKYU->text(), QStringLiteral("0"));
    m.close();
}

namespace {
// A vertical rule at x running from y1 to y2.
bool hasVLine(const pagecap::TPage& p, double x, double y1, double y2)
{
    return std::any_of(p.lines.begin(), p.lines.end(), [&](const QLineF& l) {
        return qAbs(l.x1() - x) < 0.5 && qAbs(l.x2() - x) < 0.5 && qAbs(qMin(l.y1(), l.y2()) - y1) < 0.5
               && qAbs(qMax(l.y1(), l.y2()) - y2) < 0.5;
    });
}
} // namespace

TEST_F(MessTest, PrintedMessageRunsOverPages)
{
    // 60 lines in rows of 42: 55 fit the first page's frame, the rest go on.
    QStringList body;
    for (int i = 1; i <= 60; ++i)
        body << QStringLiteral("L%1").arg(i);
    TQuery q(&conn());
    q.setSql(R"(INSERT INTO "KLOV"."D_MESS" ("MESSNO","RUSERID","SUSERID","SDTM","KENMEI","NAIYO","LBLKBN","KFLG","RDELFLG")
                VALUES (12,'dc1','dr1','2024-03-31 09:05:07','病棟会議の件',:N,1,0,0),
                       (13,'dc1','dr1','2024-04-01 10:00:00','短信','一行',0,0,0))");
    q.setText("N", body.join(QStringLiteral("\r\n")), 300).execSql();

    TFrmReadMess r;
    r.FMESSNO = 12;
    r.FRUSERID = QStringLiteral("dc1");
    r.FRSKBN = 1;
    r.FormShow();
    EXPECT_FALSE(r.lblSIKYU->isHidden());
    QString caption;
    whenModal(QStringLiteral("TplPrevForm"), [&](QWidget* w) {
        caption = w->windowTitle();
        w->close();
    });
    r.bbtnPrintClick();
    EXPECT_EQ(caption, QStringLiteral("連絡メッセージ印刷"));
    pagecap::savePng(*r.plPrev1, QStringLiteral("message"));
    const auto pages = pagecap::capturePages(*r.plPrev1);
    ASSERT_EQ(pages.size(), 2u);
    const pagecap::TPage& p1 = pages[0];
    for (const char* t : {"№12", "[送信日時:2024/03/31 09:05:07]", "至　急", "送信者", "受信者", "件　名", "氏名",
                          "dr1", "dr1先生", "dc1", "dc1先生", "病棟会議の件", "L1", "L55"})
        EXPECT_TRUE(p1.hasText(QString::fromUtf8(t))) << t;
    EXPECT_FALSE(p1.hasText(QStringLiteral("L56")));
    EXPECT_TRUE(p1.hasHLine(310, 180, 1920));
    EXPECT_TRUE(hasVLine(p1, 180, 490, 2800));
    EXPECT_TRUE(p1.hasHLine(2800, 180, 1920));
    EXPECT_TRUE(std::any_of(p1.fills.begin(), p1.fills.end(), [](const auto& f) {
        return f.first.toRect() == QRect(QPoint(700, 250), QPoint(869, 309)) && f.second == QColor(0xC0, 0xC0, 0xC0);
    }));
    // Page 2: the frame opens at 200; 5 rows from 210 end at 420, closed at 430.
    const pagecap::TPage& p2 = pages[1];
    EXPECT_TRUE(p2.hasText(QStringLiteral("L56")));
    EXPECT_TRUE(p2.hasText(QStringLiteral("L60")));
    EXPECT_TRUE(p2.hasHLine(200, 180, 1920));
    EXPECT_TRUE(hasVLine(p2, 1920, 200, 430));
    EXPECT_TRUE(p2.hasHLine(430, 180, 1920));

    // One line: the frame keeps its least depth of 60; no urgent box.
    TFrmReadMess s;
    s.FMESSNO = 13;
    s.FRUSERID = QStringLiteral("dc1");
    s.FRSKBN = 1;
    s.FormShow();
    whenModal(QStringLiteral("TplPrevForm"), [](QWidget* w) { w->close(); });
    s.bbtnPrintClick();
    const pagecap::TPage one = pagecap::capturePage(*s.plPrev1, 1);
    EXPECT_EQ(s.plPrev1->PageCount(), 1);
    EXPECT_TRUE(one.hasText(QStringLiteral("一行")));
    EXPECT_FALSE(one.hasText(QStringLiteral("至　急")));
    EXPECT_TRUE(one.hasHLine(550, 180, 1920));

    // A message withdrawn since the list was read is said so and not printed.
    TFrmReadMess gone;
    gone.FMESSNO = 99;
    gone.FRUSERID = QStringLiteral("dc1");
    gone.FormShow();
    EXPECT_EQ(boxes.last(), kConflictMessage);
    EXPECT_FALSE(gone.bbtnPrint->isEnabled());
}
