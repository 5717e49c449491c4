// Opening the summary editor: defaults of a new summary, the admission count,
// the patient block, registering the basic data, loading a version.

#include "test_editor_fixture.h"

#include "controls/DBGrid.h"
#include "db/Query.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>

TEST_F(EditorTest, NewSummaryStartsEmptyWithTheDoctorAsWriter)
{
    loginAs(QStringLiteral("dr1"), 0);
    TFrmUpdTaiyou& f = open();
    EXPECT_EQ(f.cmbWDR->currentText(), QStringLiteral("医師 一郎"));
    EXPECT_EQ(f.FslDR.at(f.cmbWDR->currentIndex()), QStringLiteral("dr1"));
    EXPECT_EQ(f.cmbSYUDR->currentIndex(), 0);
    // doctors valid today only, after the empty entry; the clerk is no doctor
    EXPECT_EQ(f.FslDR, (QStringList{QString(), QStringLiteral("dr1"), QStringLiteral("dr2")}));
    EXPECT_EQ(f.lblVERNO->text(), QStringLiteral("1"));
    EXPECT_EQ(f.dtpNDTE->date().toString(Qt::ISODate), scalar("SELECT TO_CHAR(NOW(),'YYYY-MM-DD')"));
    EXPECT_EQ(f.dtpTDTE->date(), f.dtpNDTE->date().addDays(3));
    EXPECT_FALSE(f.dtpTDTE->checked());
    EXPECT_EQ(f.cmbNSYU->currentText(), QStringLiteral("定例"));
    EXPECT_EQ(f.cmbKA->currentIndex(), -1);
    EXPECT_EQ(f.cmbKA->count(), 2) << "the hidden department is not offered";
    EXPECT_EQ(f.nedtNYUCNT->asInteger(), 1);
    for (QLabel* l : {f.lblWSTS, f.lblSSTS, f.lblKSTS})
        EXPECT_EQ(l->text(), QStringLiteral("未"));
    for (QPushButton* b : {f.bbtnMntAl, f.bbtnMntDev, f.bbtnMntByo, f.bbtnMntOpe, f.bbtnUpdate, f.spbWFLG,
                           f.spbSFLG, f.spbKFLG})
        EXPECT_FALSE(b->isEnabled()) << b->objectName().toStdString();
    EXPECT_TRUE(f.pnlMain->isHidden());
    EXPECT_TRUE(f.pnlMRight->isHidden());
    EXPECT_TRUE(f.lblDelOld->isHidden());
    EXPECT_TRUE(f.bbtnSrcNyu->isHidden()) << "no sibling admission table";
    for (QPushButton* b : f.bbtnSrcDr)
        EXPECT_FALSE(b->isHidden()) << "the doctor search sits beside each doctor list";
    EXPECT_FALSE(f.timWrite->isActive());
    EXPECT_TRUE(boxes.boxes.isEmpty());
}

TEST_F(EditorTest, NewSummaryOfAClerkHasNoWriter)
{
    loginAs(QStringLiteral("dc9"), 1);
    TFrmUpdTaiyou& f = open();
    EXPECT_EQ(f.cmbWDR->currentIndex(), 0);
}

TEST_F(EditorTest, AdmissionCountIsProposedFromThePatientsSummaries)
{
    loginAs(QStringLiteral("dr1"), 0);
    addSummary(1, 1, 1001, 1, "2023-01-05", "2023-01-20", 1);
    addSummary(2, 1, 1001, 1, "2024-04-01", "2024-04-10", 2);
    TFrmUpdTaiyou& f = open();
    typeAndLeave(f.nedtID, QStringLiteral("1001"), f.edtNYURIYU);
    EXPECT_EQ(f.nedtNYUCNT->asInteger(), 3);
    EXPECT_EQ(f.lblKNJNAME->text(), QStringLiteral("山田 太郎"));
    EXPECT_EQ(f.lblKNJKANA->text(), QStringLiteral("ヤマダ タロウ"));
    EXPECT_EQ(f.lblSEX->text(), QStringLiteral("男性"));
    EXPECT_EQ(f.lblBIRTH->text(), QStringLiteral("1975(昭和50)年4月1日生"));
    EXPECT_FALSE(f.lblAGE->text().isEmpty());

    // another department's summary of the same admission has counted it already
    f.dtpNDTE->setFocus();
    f.dtpNDTE->setDate(QDate(2024, 4, 1));
    f.edtNYURIYU->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(f.nedtNYUCNT->asInteger(), 2);

    // a deleted summary counts as well
    addSummary(3, 1, 1002, 1, "2022-01-01", "2022-01-02", 7, R"("DELKBN" = 1, "ACTKBN" = 0)");
    typeAndLeave(f.nedtID, QString(), f.edtNYURIYU);
    f.nedtID->selectAll();
    typeAndLeave(f.nedtID, QStringLiteral("1002"), f.edtNYURIYU);
    EXPECT_EQ(f.nedtID->asInt64(), 1002);
    EXPECT_EQ(f.nedtNYUCNT->asInteger(), 8);
    EXPECT_EQ(f.lblSEX->text(), QStringLiteral("女性"));
}

TEST_F(EditorTest, BasicDataAreCheckedThenRegistered)
{
    loginAs(QStringLiteral("dr1"), 0);
    addSummary(1, 1, 1001, 1, "2024-04-01", "2024-04-10", 1);
    TFrmUpdTaiyou& f = open();
    QTest::mouseClick(f.bbtnBase, Qt::LeftButton);
    EXPECT_EQ(boxes.last(), QStringLiteral("患者IDが入力されていません。"));
    f.nedtID->setAsInt64(1001);
    QTest::mouseClick(f.bbtnBase, Qt::LeftButton);
    EXPECT_EQ(boxes.last(), QStringLiteral("診療科が選択されていません。"));
    f.cmbKA->setCurrentIndex(0);
    f.dtpNDTE->setDate(QDate(2024, 4, 1));
    f.dtpTDTE->setChecked(true);
    f.dtpTDTE->setDate(QDate(2024, 3, 31));
    QTest::mouseClick(f.bbtnBase, Qt::LeftButton);
    EXPECT_EQ(boxes.last(), QStringLiteral("入院日が退院日より後に設定されています。"));
    f.dtpTDTE->setDate(QDate(2024, 4, 1));   // the same day is allowed
    f.nedtID->setAsInt64(9999);
    QTest::mouseClick(f.bbtnBase, Qt::LeftButton);
    EXPECT_EQ(boxes.last(), QStringLiteral("未登録患者IDです。"));
    f.nedtID->setAsInt64(1001);
    QTest::mouseClick(f.bbtnBase, Qt::LeftButton);
    EXPECT_EQ(boxes.last(), QStringLiteral("同一入院日・診療科で既に登録されています。"));
    EXPECT_EQ(boxes.boxes.size(), 5);
    EXPECT_EQ(scalar(R"(SELECT COUNT(*) FROM "KLOV"."D_TAIYOU")"), QStringLiteral("1"));

    f.cmbKA->setCurrentIndex(1);
    f.dtpTDTE->setChecked(false);
    f.edtNYURIYU->setText(QStringLiteral("  胸痛 "));
    f.cmbSYUDR->setCurrentIndex(2);
    QTest::mouseClick(f.bbtnBase, Qt::LeftButton);
    EXPECT_EQ(boxes.boxes.size(), 5);
    EXPECT_EQ(f.FKNO, 2);
    EXPECT_EQ(f.lblKNO->text(), QStringLiteral("2"));
    EXPECT_EQ(col("NYURIYU", 2), QStringLiteral("胸痛"));
    EXPECT_EQ(time("TDTE", 2), QStringLiteral("1899-12-30 00:00:00"));
    EXPECT_EQ(col("KACD", 2), QStringLiteral("2"));
    EXPECT_EQ(col("SYUDR", 2), QStringLiteral("dr2"));
    EXPECT_EQ(col("WDR", 2), QStringLiteral("dr1"));
    EXPECT_EQ(scalar(R"(SELECT COUNT(*) FROM "KLOV"."D_TAIYOU" WHERE "KNO" = 2 AND "TANDR1" IS NULL AND "INSUSERID" = 'dr1'
                         AND "ACTKBN" = 1 AND "WFLG" = 0 AND "NYUBEFKEIKA" IS NULL)"),
              QStringLiteral("1"));
    EXPECT_FALSE(f.pnlMain->isHidden());
    EXPECT_FALSE(f.pnlMRight->isHidden());
    EXPECT_TRUE(f.bbtnBase->isHidden());
    EXPECT_FALSE(f.nedtID->isEnabled());
    EXPECT_FALSE(f.bbtnIdSrc->isEnabled());
    EXPECT_TRUE(f.bbtnUpdate->isEnabled());
    EXPECT_TRUE(f.bbtnMntAl->isEnabled());
    EXPECT_TRUE(f.spbWFLG->isEnabled());
    EXPECT_TRUE(f.timWrite->isActive());
}

TEST_F(EditorTest, DuplicateCheckIgnoresItsOwnNumberAndOldOrDeletedVersions)
{
    loginAs(QStringLiteral("dr1"), 0);
    addSummary(1, 1, 1001, 1, "2024-04-01", "2024-04-10", 1, R"("ACTKBN" = 0)");
    addSummary(1, 2, 1001, 1, "2024-04-01", "2024-04-10", 1);
    addSummary(2, 1, 1001, 1, "2024-04-01", "2024-04-10", 1, R"("ACTKBN" = 0, "DELKBN" = 1)");
    TFrmUpdTaiyou& f = open(1, 2);
    f.memNYUKEIKA->setPlainText(QStringLiteral("追記"));
    QTest::mouseClick(f.bbtnUpdate, Qt::LeftButton);
    EXPECT_TRUE(boxes.boxes.isEmpty()) << boxes.texts().join('|').toStdString();
    EXPECT_EQ(f.result(), QDialog::Accepted);
    EXPECT_EQ(col("NYUKEIKA", 1, 2), QStringLiteral("追記"));
}

TEST_F(EditorTest, ADoctorNoLongerValidIsWarnedOnceAndClearedByTheNextSave)
{
    loginAs(QStringLiteral("dr1"), 0);
    addSummary(1, 1, 1001, 1, "2024-04-01", "2024-04-10", 1, R"("TANDR1" = 'drold', "TANDR2" = 'dr2')");
    {
        TFrmUpdTaiyou& f = open(1, 1);
        ASSERT_EQ(boxes.texts(),
                  QStringList{QStringLiteral("担当医1(ユーザーID:drold)が削除または有効期限変更等の理由により存在しません。")});
        EXPECT_EQ(f.cmbTANDR1->currentIndex(), 0);
        EXPECT_EQ(f.cmbTANDR2->currentText(), QStringLiteral("医師 二郎"));
        EXPECT_EQ(f.cmbSYUDR->currentText(), QStringLiteral("医師 一郎"));
        EXPECT_FALSE(f.IsChanged());
        QTest::mouseClick(f.bbtnUpdate, Qt::LeftButton);
        EXPECT_EQ(f.result(), QDialog::Accepted);
    }
    EXPECT_EQ(scalar(R"(SELECT COUNT(*) FROM "KLOV"."D_TAIYOU" WHERE "TANDR1" IS NULL AND "TANDR2" = 'dr2')"),
              QStringLiteral("1"));
    boxes.boxes.clear();
    open(1, 1);
    EXPECT_TRUE(boxes.boxes.isEmpty());
}

TEST_F(EditorTest, LoadedVersionShowsItsDataAndMarker)
{
    loginAs(QStringLiteral("dr1"), 0);
    addSummary(4, 1, 1001, 3, "2024-04-01", "1899-12-30", 5,
               R"("ACTKBN" = 0, "NSYU" = 1, "NYUBEFKEIKA" = E'一\r\n二')");
    addSummary(4, 2, 1001, 1, "2024-04-01", "2024-04-10", 5, R"("ACTKBN" = 0, "DELKBN" = 1)");
    {
        TFrmUpdTaiyou& f = open(4, 1);
        EXPECT_EQ(f.lblDelOld->text(), QStringLiteral("旧Version"));
        EXPECT_FALSE(f.lblDelOld->isHidden());
        EXPECT_EQ(f.lblKNO->text(), QStringLiteral("4"));
        EXPECT_EQ(f.nedtID->asInt64(), 1001);
        EXPECT_FALSE(f.nedtID->isEnabled());
        EXPECT_EQ(f.lblKNJNAME->text(), QStringLiteral("山田 太郎"));
        EXPECT_EQ(f.cmbKA->currentIndex(), -1) << "hidden department";
        EXPECT_EQ(f.cmbNSYU->currentText(), QStringLiteral("予定外"));
        EXPECT_EQ(f.nedtNYUCNT->asInteger(), 5);
        EXPECT_FALSE(f.dtpTDTE->checked());
        EXPECT_EQ(f.dtpTDTE->date(), QDate(2024, 4, 4));
        EXPECT_EQ(f.memNYUBEFKEIKA->toPlainText(), QStringLiteral("一\n二"));
        EXPECT_EQ(f.edtNYURIYU->text(), QStringLiteral("発熱"));
        EXPECT_TRUE(f.memNYUBEFKEIKA->isReadOnly());
        EXPECT_FALSE(f.bbtnUpdate->isEnabled());
        EXPECT_FALSE(f.timWrite->isActive());
    }
    TFrmUpdTaiyou& f = open(4, 2);
    EXPECT_EQ(f.lblDelOld->text(), QStringLiteral("削除済"));
    EXPECT_EQ(f.lblVERNO->text(), QStringLiteral("2"));
    EXPECT_TRUE(f.dtpTDTE->checked());
    EXPECT_FALSE(f.pnlTop->isEnabled());
}

TEST_F(EditorTest, AMissingVersionIsReportedAndNotEditable)
{
    loginAs(QStringLiteral("dr1"), 0);
    TFrmUpdTaiyou& f = open(9, 1);
    EXPECT_EQ(boxes.texts(), QStringList{QStringLiteral("データ矛盾が発生しました。再登録が必要です。")});
    EXPECT_FALSE(f.bbtnUpdate->isEnabled());
    EXPECT_FALSE(f.timWrite->isActive());
}

TEST_F(EditorTest, DoctorSearchSelectsOnlyDoctorsOfTheList)
{
    loginAs(QStringLiteral("dc9"), 1);
    TFrmUpdTaiyou& f = open();
    auto pick = [this](const QString& kana) {
        whenModal(QStringLiteral("TFrmSrcDr"), [kana](QWidget* w) {
            w->findChild<QLineEdit*>(QStringLiteral("edtKana"))->setText(kana);
            w->findChild<QPushButton*>(QStringLiteral("bbtnSrc"))->click();
            QTimer::singleShot(0, [w] { w->findChild<QPushButton*>(QStringLiteral("bbtnOk"))->click(); });
        });
    };
    pick(QStringLiteral("イシ"));   // the first by kana: 医師 一郎
    f.bbtnSrcDr[2]->click();
    EXPECT_EQ(f.cmbTANDR2->currentText(), QStringLiteral("医師 一郎"));
    pick(QStringLiteral("タイ"));   // validity ended: not in the list
    f.bbtnSrcDr[2]->click();
    EXPECT_EQ(f.cmbTANDR2->currentIndex(), 0);
    EXPECT_TRUE(boxes.boxes.isEmpty());
}
