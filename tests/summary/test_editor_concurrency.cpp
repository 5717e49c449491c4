// The summary editor against a second workstation that changes the same
// version meanwhile (the test's own connection): a save or a new version
// whose premise has changed is refused, nothing of the other is overwritten,
// and what was typed here stays in the editor.

#include "test_editor_fixture.h"

#include "summary/FrmDspUnsavedU.h"

#include <QLabel>

namespace {
const char* kCompleted = R"("WFLG" = 1, "WUSERID" = 'dr2', "WDTM" = '2024-04-11 10:00:00',
    "SFLG" = 1, "SUSERID" = 'dr2', "SDTM" = '2024-04-12 10:00:00',
    "KFLG" = 1, "KUSERID" = 'dr2', "KDTM" = '2024-04-13 10:00:00', "VERDTE" = '2024-04-13 10:00:00')";
}

TEST_F(EditorTest, BothSaveTheSameVersion)
{
    loginAs(QStringLiteral("dr1"), 0);
    addSummary(1, 1);
    TFrmUpdTaiyou& f = open(1, 1);
    f.memNYUKEIKA->setPlainText(QStringLiteral("こちらの経過"));
    sql(R"(UPDATE "KLOV"."D_TAIYOU" SET "NYUKEIKA" = '他端末の経過', "UPDUSERID" = 'dr2')");
    f.bbtnUpdate->click();
    EXPECT_EQ(boxes.last(), kConflictMessage);
    EXPECT_NE(f.result(), QDialog::Accepted);
    EXPECT_EQ(col("NYUKEIKA"), QStringLiteral("他端末の経過"));
    EXPECT_EQ(f.memNYUKEIKA->toPlainText(), QStringLiteral("こちらの経過")) << "the typed text stays";
    EXPECT_TRUE(f.IsChanged());
    // now knowing the other's save, a second press saves onto it
    boxes.boxes.clear();
    f.bbtnUpdate->click();
    EXPECT_TRUE(boxes.boxes.isEmpty()) << boxes.last().toStdString();
    EXPECT_EQ(f.result(), QDialog::Accepted);
    EXPECT_EQ(col("NYUKEIKA"), QStringLiteral("こちらの経過"));
}

TEST_F(EditorTest, NoSaveOntoAVersionCompletedOrDeletedElsewhere)
{
    loginAs(QStringLiteral("dr1"), 0);
    addSummary(1, 1);
    addSummary(2, 1, 1001, 1, "2024-05-01", "2024-05-10");
    TFrmUpdTaiyou& f = open(1, 1);
    f.memTAIHOU->setPlainText(QStringLiteral("書き換え"));
    sql(QStringLiteral(R"(UPDATE "KLOV"."D_TAIYOU" SET %1 WHERE "KNO" = 1)").arg(QString::fromUtf8(kCompleted)));
    f.bbtnUpdate->click();
    EXPECT_EQ(boxes.last(), kConflictMessage);
    EXPECT_EQ(col("KFLG") + col("KUSERID") + time("KDTM"), QStringLiteral("1dr22024-04-13 10:00:00"))
        << "the stages set elsewhere are kept";
    EXPECT_EQ(col("TAIHOU"), QStringLiteral("方針"));
    EXPECT_TRUE(f.memTAIHOU->isReadOnly());
    EXPECT_FALSE(f.bbtnUpdate->isEnabled());
    EXPECT_TRUE(f.bbtnAftUpd->isVisible());
    FForm.reset();

    TFrmUpdTaiyou& g = open(2, 1);
    g.memTAIHOU->setPlainText(QStringLiteral("書き換え"));
    sql(R"(UPDATE "KLOV"."D_TAIYOU" SET "DELKBN" = 1, "ACTKBN" = 0 WHERE "KNO" = 2)");
    g.bbtnUpdate->click();
    EXPECT_EQ(boxes.last(), kConflictMessage);
    EXPECT_EQ(col("TAIHOU", 2), QStringLiteral("方針"));
    EXPECT_EQ(g.lblDelOld->text(), QStringLiteral("削除済"));
    ASSERT_TRUE(g.frmUnsaved && g.frmUnsaved->isVisible()) << "what was typed can still be copied";
    EXPECT_EQ(g.frmUnsaved->textBox(QStringLiteral("TAIHOU"))->toPlainText(), QStringLiteral("書き換え"));
}

TEST_F(EditorTest, TextsTypedOntoAVersionCompletedElsewhereStayReachableAndGoIntoTheNewVersion)
{
    loginAs(QStringLiteral("dr1"), 0);
    addSummary(1, 1);
    TFrmUpdTaiyou& f = open(1, 1);
    const QString keika = QStringLiteral("第3病日より解熱\n抗菌薬終了　"), hou = QStringLiteral("外来にて経過観察");
    f.memNYUKEIKA->setPlainText(keika);
    f.memTAIHOU->setPlainText(hou);
    // the other workstation changes a section left alone here, and completes
    sql(QStringLiteral(R"(UPDATE "KLOV"."D_TAIYOU" SET "TAIYAKU" = '他端末の投薬', %1)").arg(QString::fromUtf8(kCompleted)));
    f.bbtnUpdate->click();
    EXPECT_EQ(boxes.last(), kConflictMessage);
    EXPECT_EQ(f.memNYUKEIKA->toPlainText() + f.memTAIHOU->toPlainText(), QStringLiteral("経過2方針"));
    ASSERT_TRUE(f.frmUnsaved && f.frmUnsaved->isVisible());
    EXPECT_EQ(f.frmUnsaved->textBox(QStringLiteral("NYUKEIKA"))->toPlainText(), keika);
    EXPECT_EQ(f.frmUnsaved->textBox(QStringLiteral("TAIHOU"))->toPlainText(), hou);
    EXPECT_EQ(f.frmUnsaved->textBox(QStringLiteral("TAIYAKU")), nullptr) << "not typed here";
    f.frmUnsaved->close();
    ASSERT_TRUE(f.bbtnUnsaved->isVisible());
    f.bbtnUnsaved->click();
    EXPECT_TRUE(f.frmUnsaved->isVisible());

    f.bbtnAftUpd->click();   // the question is answered Yes
    EXPECT_EQ(f.FVERNO, 2);
    EXPECT_EQ(boxes.last(), QStringLiteral("保存されなかった入力を新しいVersionに入れました。\r\n"
                                           "内容を確かめて「登録」してください。"));
    EXPECT_EQ(f.memNYUKEIKA->toPlainText(), keika);
    EXPECT_EQ(f.memTAIHOU->toPlainText(), hou);
    EXPECT_EQ(f.memTAIYAKU->toPlainText(), QStringLiteral("他端末の投薬"));
    EXPECT_TRUE(f.IsChanged()) << "to be registered";
    EXPECT_FALSE(f.bbtnUnsaved->isVisible());
    EXPECT_EQ(col("TAIHOU", 1, 2), QStringLiteral("方針"));
    f.bbtnUpdate->click();
    EXPECT_EQ(f.result(), QDialog::Accepted);
    EXPECT_EQ(col("NYUKEIKA", 1, 2) + col("TAIYAKU", 1, 2) + col("TAIHOU", 1, 2),
              QStringLiteral("第3病日より解熱\r\n抗菌薬終了　他端末の投薬外来にて経過観察"));
}

TEST_F(EditorTest, NoNewVersionOfASummaryDeletedElsewhere)
{
    loginAs(QStringLiteral("dr1"), 0);
    addSummary(1, 1, 1001, 1, "2024-04-01", "2024-04-10", 1, QString::fromUtf8(kCompleted));
    TFrmUpdTaiyou& f = open(1, 1);
    sql(R"(UPDATE "KLOV"."D_TAIYOU" SET "DELKBN" = 1, "ACTKBN" = 0)");
    f.bbtnAftUpd->click();   // the question is answered Yes
    EXPECT_EQ(boxes.last(), kConflictMessage);
    EXPECT_EQ(f.FVERNO, 1);
    EXPECT_EQ(scalar(R"(SELECT STRING_AGG("VERNO" || ':' || "DELKBN" || "ACTKBN", ',') FROM "KLOV"."D_TAIYOU")"),
              QStringLiteral("1:10")) << "the deleted summary is not brought back";
    EXPECT_EQ(f.lblDelOld->text(), QStringLiteral("削除済"));
}

TEST_F(EditorTest, TwoRegistrationsOfOneAdmissionMakeOneSummary)
{
    loginAs(QStringLiteral("dr1"), 0);
    TFrmUpdTaiyou& f = open();
    f.nedtID->setAsInt64(1001);
    f.cmbKA->setCurrentIndex(0);
    f.dtpNDTE->setDate(QDate(2024, 4, 1));
    ASSERT_TRUE(f.CheckBase());
    // the other workstation registers the same admission after this check
    addSummary(1, 1, 1001, 1, "2024-04-01", "2024-04-10");
    EXPECT_FALSE(f.InsertBase());
    EXPECT_EQ(boxes.last(), QStringLiteral("同一入院日・診療科で既に登録されています。"));
    EXPECT_EQ(f.FKNO, 0);
    EXPECT_EQ(scalar(R"(SELECT COUNT(*) FROM "KLOV"."D_TAIYOU")"), QStringLiteral("1"));
}

TEST_F(EditorTest, ANewVersionCountsAsAChangeEvenWhenTheEditorIsClosed)
{
    loginAs(QStringLiteral("dr1"), 0);
    addSummary(1, 1, 1001, 1, "2024-04-01", "2024-04-10", 1, QString::fromUtf8(kCompleted));
    whenModal(QStringLiteral("TFrmUpdTaiyou"), [](QWidget* w) {
        auto* f = static_cast<TFrmUpdTaiyou*>(w);
        f->bbtnAftUpd->click();   // the question is answered Yes
        f->bbtnClose->click();
    });
    int kno = 1, verno = 1;
    EXPECT_TRUE(OpenTaiyouEditor(nullptr, false, kno, verno)) << "the list must be read again";
    EXPECT_EQ(verno, 2);
}

TEST_F(EditorTest, AFailingSiblingReadIsReportedAndThePatientShownAsStored)
{
    loginAs(QStringLiteral("dr1"), 0);
    addSummary(1, 1);
    G().qarnLink = true;   // the sibling schema is missing: its read fails
    TFrmUpdTaiyou& f = open(1, 1);
    G().qarnLink = false;
    ASSERT_FALSE(boxes.boxes.isEmpty());
    EXPECT_TRUE(boxes.boxes.first().text.startsWith(QStringLiteral("EQueryError\r\n")));
    EXPECT_EQ(f.lblKNJNAME->text(), QStringLiteral("山田 太郎"));
}
