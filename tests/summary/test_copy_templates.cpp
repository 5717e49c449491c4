// The summary editor's helpers: copying sections of an earlier summary, the
// admission taken over from the sibling clinic system, personal templates.

#include "test_editor_fixture.h"

#include "controls/CheckDateEdit.h"
#include "db/Errors.h"
#include "controls/Widgets.h"
#include "patient/PatientHeader.h"
#include "summary/FrmMyTempleU.h"
#include "summary/FrmSelNyuU.h"
#include "summary/FrmSelOldCopyU.h"
#include "summary/FrmUpdMyTempU.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>

namespace {
// "KNO/VERNO" of every row of a summary list, top to bottom.
QStringList listed(const TDBGrid* grid)
{
    QStringList rows;
    for (int r = 0; r < grid->rowCount(); ++r)
        rows << grid->cellText(r, 0) + QLatin1Char('/') + grid->cellText(r, 1);
    return rows;
}
} // namespace

class CopyTest : public EditorTest {
protected:
    void SetUp() override
    {
        EditorTest::SetUp();
        loginAs(QStringLiteral("dr1"), 0);
    }
};

TEST_F(CopyTest, TheListLeavesOutTheEditedSummaryAndOnlyTickedSectionsAreReplaced)
{
    // Summary 1 is edited (its older version 1 too); 2 has two versions, 3 is deleted.
    addSummary(1, 1, 1001, 1, "2024-04-01", "2024-04-10", 1, R"("ACTKBN" = 0)");
    addSummary(1, 2);
    addSummary(2, 1, 1001, 2, "2023-01-01", "2023-01-09", 1, R"("ACTKBN" = 0)");
    addSummary(2, 2, 1001, 2, "2023-01-01", "2023-01-09", 1, R"("TAIHOU" = '', "NYUKEIKA" = '前回')");
    addSummary(3, 1, 1001, 1, "2022-06-01", "2022-06-05", 1, R"("DELKBN" = 1)");
    TFrmUpdTaiyou& f = open(1, 2);

    whenModal(QStringLiteral("TFrmSelOldCopy"), [](QWidget* w) {
        auto* d = static_cast<TFrmSelOldCopy*>(w);
        EXPECT_EQ(d->header->lblKNJNAME->text(), QStringLiteral("山田 太郎"));
        EXPECT_EQ(listed(d->dbgMei), QStringList{QStringLiteral("2/2")});
        d->cbDispDel->click();
        EXPECT_EQ(listed(d->dbgMei), (QStringList{"3/1", "2/2", "2/1"}));
        for (QCheckBox* c : {d->cbNBEF, d->cbNKEI, d->cbTJOU, d->cbTYAKU, d->cbTHOU})
            EXPECT_TRUE(c->isChecked());
        for (QCheckBox* c : {d->cbNBEF, d->cbNKEI, d->cbTJOU, d->cbTYAKU})
            c->setChecked(false);
        d->dbgMei->locate(QStringLiteral("SKEY"), QStringLiteral("0000002002"));
        d->bbtnOk->click();
    });
    f.memTAIHOU->setPlainText(QStringLiteral("今回の方針"));
    QTest::mouseClick(f.bbtnCopy, Qt::LeftButton);
    EXPECT_EQ(boxes.last(), QStringLiteral("選択した情報を現在のサマリに複写しますか？\r\n"
                                           "※現在入力されている情報がある場合は上書きされます"));
    EXPECT_EQ(f.memTAIHOU->toPlainText(), QString()) << "replaced even by an empty text";
    EXPECT_EQ(f.memNYUKEIKA->toPlainText(), QStringLiteral("経過2")) << "not ticked";
    EXPECT_EQ(col("TAIHOU", 1, 2), QStringLiteral("方針")) << "nothing written before the save";

    // Another patient without summaries: nothing to copy from.
    whenModal(QStringLiteral("TFrmSelOldCopy"), [this](QWidget* w) {
        auto* d = static_cast<TFrmSelOldCopy*>(w);
        // Leaving the number needs the focus in it, in a window activated now.
        QApplication::setActiveWindow(d);
        d->nedtID->setFocus();
        d->nedtID->setAsInt64(1002);
        d->cbDispDel->setFocus();
        QApplication::processEvents();
        EXPECT_EQ(d->header->lblKNJNAME->text(), QStringLiteral("鈴木 花子"));
        EXPECT_EQ(d->dbgMei->rowCount(), 0);
        d->bbtnOk->click();
        EXPECT_EQ(boxes.last(), QStringLiteral("複写元が選択されていません。"));
        d->reject();
    });
    QTest::mouseClick(f.bbtnCopy, Qt::LeftButton);
}

TEST_F(CopyTest, AnAdmissionIsTakenOverWithItsCalendarDaysAndDepartment)
{
    loadQarn();
    sql(R"(INSERT INTO "QARN"."M_KA" ("KACD","KANM") VALUES (1,'内科'),(2,'外科');
           INSERT INTO "QARN"."D_NTDATA" ("ID","NKBN","NYUDTM","TAIDTM","KACD") VALUES
             (1001,1,'2024-03-01 15:00:00',NULL,2),
             (1001,1,'2023-01-05 23:30:00','2023-01-20 15:00:00',1),
             (1001,2,'2024-05-01 10:00:00',NULL,1);)");
    TFrmUpdTaiyou& f = open();
    ASSERT_FALSE(f.bbtnSrcNyu->isHidden());
    QTest::mouseClick(f.bbtnSrcNyu, Qt::LeftButton);
    EXPECT_EQ(boxes.last(), QStringLiteral("患者ID未入力です。"));

    f.nedtID->setAsInt64(1001);
    f.cmbKA->setCurrentIndex(0);
    whenModal(QStringLiteral("TFrmSelNyu"), [](QWidget* w) {
        auto* d = static_cast<TFrmSelNyu*>(w);
        ASSERT_EQ(d->dbgMei->rowCount(), 2) << "admissions only";
        EXPECT_EQ(d->dbgMei->currentRecord(), 0) << "the newest first and chosen";
        EXPECT_EQ(d->dbgMei->cellText(0, 2), QStringLiteral("外科"));
        d->bbtnOk->click();
    });
    QTest::mouseClick(f.bbtnSrcNyu, Qt::LeftButton);
    EXPECT_EQ(f.dtpNDTE->date(), QDate(2024, 3, 1));
    EXPECT_FALSE(f.dtpTDTE->checked());
    EXPECT_EQ(f.cmbKA->currentText(), QStringLiteral("外科")) << "still in hospital: the department all the same";

    whenModal(QStringLiteral("TFrmSelNyu"), [](QWidget* w) {
        auto* d = static_cast<TFrmSelNyu*>(w);
        d->dbgMei->locate(QStringLiteral("KACD"), 1);
        emit d->dbgMei->recordDoubleClicked();
    });
    QTest::mouseClick(f.bbtnSrcNyu, Qt::LeftButton);
    EXPECT_EQ(f.dtpNDTE->date(), QDate(2023, 1, 5));
    EXPECT_TRUE(f.dtpTDTE->checked());
    EXPECT_EQ(f.dtpTDTE->date(), QDate(2023, 1, 20));
    EXPECT_EQ(f.cmbKA->currentText(), QStringLiteral("内科"));
}

TEST_F(CopyTest, ATemplateIsNumberedPerUserAndGoesInFrontOfTheMemo)
{
    sql(R"(INSERT INTO "KLOV"."M_MYTEMPLE" ("USERID","MTNO","MTTITLE","MTNAIYO") VALUES
             ('dr2',1,'他人','x'),('dr2',7,'他人2','y'))");
    addSummary(1, 1);
    TFrmUpdTaiyou& f = open(1, 1);
    f.memNYUBEFKEIKA->setPlainText(QStringLiteral("ABC"));
    f.memNYUBEFKEIKA->moveCursor(QTextCursor::End);

    whenModal(QStringLiteral("TFrmMyTemple"), [](QWidget* w) {
        auto* d = static_cast<TFrmMyTemple*>(w);
        EXPECT_EQ(d->dbgMei->rowCount(), 0) << "only the user's own templates";
        EXPECT_FALSE(d->bbtnOk->isEnabled());
        EXPECT_FALSE(d->bbtnDel->isEnabled());
        whenModal(QStringLiteral("TFrmUpdMyTemp"), [](QWidget* w) {
            auto* u = static_cast<TFrmUpdMyTemp*>(w);
            u->edtMTTITLE->setText(QStringLiteral("  胸痛"));
            u->bbtnInsert->click();
            u->memMTNAIYO->setPlainText(QStringLiteral("\n＜主訴＞\n胸痛"));
            u->bbtnInsert->click();
        });
        d->bbtnAdd->click();
        ASSERT_EQ(d->dbgMei->rowCount(), 1);
        EXPECT_EQ(d->dbgMei->cellText(0, 0), QStringLiteral("1"));
        d->bbtnOk->click();
    });
    QTest::mouseClick(f.bbtnKTpl, Qt::LeftButton);
    EXPECT_EQ(boxes.texts(), QStringList{QStringLiteral("内容未入力です。")});
    EXPECT_EQ(scalar(R"(SELECT "MTTITLE" || '|' || "MTNAIYO" FROM "KLOV"."M_MYTEMPLE" WHERE "USERID" = 'dr1' AND "MTNO" = 1)"),
              QStringLiteral("胸痛|＜主訴＞\r\n胸痛"));
    EXPECT_EQ(f.memNYUBEFKEIKA->toPlainText(), QStringLiteral("＜主訴＞\n胸痛\nABC"));
    EXPECT_EQ(f.focusWidget(), f.memNYUBEFKEIKA);
}

TEST_F(CopyTest, ATemplateTooLongIsRefusedAndOneRemovedElsewhereIsSavedAnew)
{
    sql(R"(INSERT INTO "KLOV"."M_MYTEMPLE" ("USERID","MTNO","MTTITLE","MTNAIYO") VALUES ('dr1',1,'胸痛','旧'))");
    TFrmUpdMyTemp u;
    u.FMTNO = 1;
    u.show();
    EXPECT_EQ(u.memMTNAIYO->toPlainText(), QStringLiteral("旧"));
    EXPECT_TRUE(widgets::isHiraganaInput(u.edtMTTITLE));

    u.memMTNAIYO->setPlainText(QString(501, QChar(0x3042)));
    u.bbtnInsert->click();
    EXPECT_EQ(boxes.last(), QStringLiteral("内容には500文字までしか入力できません。\r\n（現在501文字）"));

    // Another workstation removes it: the save writes nothing and says so,
    // the typed text stays, and the next save makes it a new template.
    sql(R"(DELETE FROM "KLOV"."M_MYTEMPLE")");
    u.edtMTTITLE->setText(QStringLiteral("胸痛（改）"));
    u.memMTNAIYO->setPlainText(QStringLiteral("新\n二行目"));
    u.bbtnInsert->click();
    EXPECT_EQ(boxes.texts().mid(1),
              (QStringList{kConflictMessage, QStringLiteral("該当データが削除されています。\r\n入力した内容は残っています。"
                                                            "「登録」で新しいテンプレートとして登録します。")}));
    EXPECT_EQ(u.result(), 0);
    EXPECT_EQ(scalar(R"(SELECT COUNT(*) FROM "KLOV"."M_MYTEMPLE")"), QStringLiteral("0"));
    EXPECT_EQ(u.edtMTTITLE->text() + u.memMTNAIYO->toPlainText(), QStringLiteral("胸痛（改）新\n二行目"));
    u.bbtnInsert->click();
    EXPECT_EQ(u.result(), QDialog::Accepted);
    EXPECT_EQ(u.FMTNO, 1);
    EXPECT_EQ(scalar(R"(SELECT "MTNO" || '|' || "MTTITLE" || '|' || "MTNAIYO" FROM "KLOV"."M_MYTEMPLE")"),
              QStringLiteral("1|胸痛（改）|新\r\n二行目"));
}
