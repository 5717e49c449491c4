// Patient diseases: the list and edit forms with their history rows, the
// onset code, the validation and the disease-name search.

#include "common/TestApp.h"

#include "app/UntDM.h"
#include "controls/DBGrid.h"
#include "controls/NumberEdit.h"
#include "db/Query.h"
#include "patient/FrmMntKanbyoU.h"
#include "patient/FrmSrcByoU.h"
#include "patient/FrmUpdKanbyoU.h"
#include "patient/PatientHeader.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace {

class KanbyoTest : public AppTest {
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        loginAs(QStringLiteral("dr1"));
        sql(R"(INSERT INTO "KLOV"."M_KANJA" ("ID","RNO","ACTKBN","KNJKANA","KNJNAME","SEX","BIRTH","DELKBN")
               VALUES (1001, 1, 1, 'ヤマダ タロウ', '山田 太郎', 0, '1960-04-01', 0))");
        sql(R"(INSERT INTO "KLOV"."M_NMAIN" ("BKNO","BYONM","BYOKANA","ICD102013","BCHGCD") VALUES
               ('20051234', '胃潰瘍', 'イカイヨウ', 'K259', 'ABCD'),
               ('20055678', '十二指腸潰瘍', 'ジュウニシチョウカイヨウ', 'K269', 'EFGH'),
               ('20059999', 'O''Brien症候群', 'オブライエンショウコウグン', 'Q871', 'IJKL'))");
    }

    // An edit form on a disease of patient 1001, shown so that it loads.
    std::unique_ptr<TFrmUpdKanbyo> editor(int bno = 0, int rno = 0)
    {
        auto f = std::make_unique<TFrmUpdKanbyo>();
        f->FID = 1001;
        f->FBNO = bno;
        f->FRNO = rno;
        f->FormShow();
        return f;
    }

    static void fillOnset(TFrmUpdKanbyo& f, int year, int month, int day)
    {
        f.nedtHY->setAsInteger(year);
        f.cmbHM->setCurrentIndex(month);
        f.cmbHD->setCurrentIndex(day);
    }

    // A new free-text disease with a full onset date, saved.
    void addDisease(const QString& name, const QString& biko = {})
    {
        auto f = editor();
        f->cbFree->setChecked(true);
        f->edtBYONM->setText(name);
        fillOnset(*f, 2020, 1, 2);
        f->edtBIKO->setText(biko);
        f->bbtnInsertClick();
        ASSERT_EQ(f->result(), QDialog::Accepted) << boxes.last().toStdString();
    }

    QString rows()
    {
        return scalar(R"(SELECT STRING_AGG("BNO" || '/' || "RNO" || '/' || "DELKBN", ' ' ORDER BY "BNO", "RNO")
                         FROM "KLOV"."D_KANBYO" WHERE "ID" = 1001)");
    }

    void addSummary(int kno, int kflg, int bno)
    {
        sql(QStringLiteral(R"(INSERT INTO "KLOV"."D_TAIYOU" ("KNO","VERNO","ACTKBN","DELKBN","ID","KFLG")
                              VALUES (%1, 1, 1, 0, 1001, %2);
                              INSERT INTO "KLOV"."D_TAIBYO" ("KNO","VERNO","BNO","SNO") VALUES (%1, 1, %3, 1))")
                .arg(kno).arg(kflg).arg(bno));
    }
};

} // namespace

TEST_F(KanbyoTest, NumbersRevisionsHistoryAndRelocation)
{
    TFrmMntKanbyo list;
    list.FID = 1001;
    list.FormShow();
    EXPECT_EQ(list.header->lblKNJNAME->text(), QStringLiteral("山田 太郎"));
    EXPECT_TRUE(list.bbtnPrint->isEnabled());

    // First disease through the list: BNO 1, RNO 1, and the list stands on it.
    whenModal(QStringLiteral("TFrmUpdKanbyo"), [](QWidget* w) {
        auto* f = static_cast<TFrmUpdKanbyo*>(w);
        EXPECT_EQ(f->bbtnInsert->text(), QStringLiteral("　登　録"));
        f->cbFree->setChecked(true);
        f->edtBYONM->setText(QStringLiteral("  高血圧症"));
        fillOnset(*f, 2019, 0, 0);
        f->bbtnInsertClick();
    });
    list.bbtnInsertClick();
    EXPECT_EQ(rows(), QStringLiteral("1/1/0"));
    EXPECT_EQ(scalar(R"(SELECT "BYONM" || '|' || "BKNO" || '|' || "INSUSERID" FROM "KLOV"."D_KANBYO")"),
              QStringLiteral("高血圧症||dr1"));
    ASSERT_EQ(list.query()->recordCount(), 1);
    EXPECT_EQ(list.query()->field(QStringLiteral("SKEY")).asString(), QStringLiteral("000010001"));
    EXPECT_EQ(list.query()->field(QStringLiteral("HJIKINM")).asString(), QStringLiteral("2019年頃"));

    // Change: the same BNO under RNO 2, RNO 1 retired by the user.
    whenModal(QStringLiteral("TFrmUpdKanbyo"), [](QWidget* w) {
        auto* f = static_cast<TFrmUpdKanbyo*>(w);
        EXPECT_EQ(f->bbtnInsert->text(), QStringLiteral("　修　正"));
        EXPECT_EQ(f->edtBYONM->text(), QStringLiteral("高血圧症"));
        EXPECT_TRUE(f->cbFree->isChecked());
        f->cmbTENKI->setCurrentIndex(1);
        f->bbtnInsertClick();
    });
    list.bbtnUpdateClick();
    EXPECT_EQ(rows(), QStringLiteral("1/1/1 1/2/0"));
    EXPECT_EQ(scalar(R"(SELECT "DELUSERID" || '|' || ("DELDTM" IS NOT NULL) FROM "KLOV"."D_KANBYO" WHERE "RNO" = 1)"),
              QStringLiteral("dr1|true"));
    EXPECT_EQ(list.query()->field(QStringLiteral("SKEY")).asString(), QStringLiteral("000010002"));
    EXPECT_EQ(list.query()->field(QStringLiteral("TENKIN")).asString(), QStringLiteral("軽快"));

    // History rows show only on request, in silver, and are refused.
    list.cbRireki->setChecked(true);
    list.cbRirekiClick();
    ASSERT_EQ(list.query()->recordCount(), 2);
    ASSERT_TRUE(list.dbgMei->locate(QStringLiteral("SKEY"), QStringLiteral("000010001")));
    EXPECT_EQ(list.dbgMei->rowColors(list.query()->recNo()).background, QColor(192, 192, 192));
    list.bbtnUpdateClick();
    list.bbtnDeleteClick();
    EXPECT_EQ(boxes.texts(), (QStringList{QStringLiteral("履歴情報は修正できません。"), QStringLiteral("履歴情報は削除できません。")}));
    EXPECT_EQ(boxes.boxes.last().kind, msg::TKind::Information);
    list.cbRireki->setChecked(false);
    list.cbRirekiClick();
    EXPECT_EQ(list.dbgMei->rowColors(0).background, QColor(Qt::white));

    // Delete after the confirmation; the next disease never reuses BNO 1.
    boxes.boxes.clear();
    list.bbtnDeleteClick();
    EXPECT_EQ(boxes.texts(), QStringList{QStringLiteral("「高血圧症」を削除してよろしいですか？")});
    EXPECT_EQ(rows(), QStringLiteral("1/1/1 1/2/1"));
    EXPECT_TRUE(list.query()->isEmpty());
    addDisease(QStringLiteral("糖尿病"));
    EXPECT_EQ(rows(), QStringLiteral("1/1/1 1/2/1 2/1/0"));
}

TEST_F(KanbyoTest, AddRefusesMissingOrUnknownPatient)
{
    TFrmMntKanbyo list;
    list.FormShow();
    EXPECT_FALSE(list.bbtnPrint->isEnabled());
    list.bbtnInsertClick();
    list.nedtID->setAsInt64(999);
    list.nedtIDExit();
    list.bbtnInsertClick();
    EXPECT_EQ(boxes.texts(), (QStringList{QStringLiteral("患者ID未入力です。"), QStringLiteral("不正な患者IDです。")}));
    EXPECT_TRUE(list.header->lblKNJNAME->text().isEmpty());
}

TEST_F(KanbyoTest, OnsetCodeFromYearMonthAndDay)
{
    auto f = editor();
    f->cbFree->setChecked(true);
    f->edtBYONM->setText(QStringLiteral("喘息"));
    fillOnset(*f, 2019, 0, -1);
    EXPECT_TRUE(f->cmbHD->isHidden());
    EXPECT_TRUE(f->lblHM->isHidden());
    // A day chosen under a month, then the month set back to unknown.
    f->cmbHM->setCurrentIndex(3);
    f->cmbHD->setCurrentIndex(15);
    EXPECT_FALSE(f->cmbHD->isHidden());
    EXPECT_FALSE(f->lblHD->isHidden());
    f->cmbHM->setCurrentIndex(0);
    EXPECT_EQ(f->onsetCode(), QStringLiteral("20190000"));
    f->bbtnInsertClick();
    ASSERT_EQ(f->result(), QDialog::Accepted);
    EXPECT_EQ(scalar(R"(SELECT "HJIKI" FROM "KLOV"."D_KANBYO")"), QStringLiteral("20190000"));
    EXPECT_EQ(scalar(R"(SELECT TO_CHAR("ENDDTE",'YYYYMMDD') FROM "KLOV"."D_KANBYO")"), QStringLiteral("18991230"));

    // Reopened, the code comes back as year, month "頃" and a hidden day.
    auto g = editor(1, 1);
    EXPECT_EQ(g->nedtHY->asInteger(), 2019);
    EXPECT_EQ(g->cmbHM->currentIndex(), 0);
    EXPECT_TRUE(g->cmbHD->isHidden());
    EXPECT_FALSE(g->cbENDDTE->isChecked());

    // Month known, day unknown; and the unknown onset.
    g->cmbHM->setCurrentIndex(3);
    g->cmbHD->setCurrentIndex(0);
    EXPECT_EQ(g->onsetCode(), QStringLiteral("20190300"));
    EXPECT_TRUE(g->lblHD->isHidden());
    g->cbHJIKIH->setChecked(true);
    EXPECT_FALSE(g->nedtHY->isEnabled());
    EXPECT_EQ(g->onsetCode(), QStringLiteral("00000000"));
}

TEST_F(KanbyoTest, ValidationMessagesInOrder)
{
    auto f = editor();
    const auto attempt = [&] {
        boxes.boxes.clear();
        f->bbtnInsertClick();
        EXPECT_NE(f->result(), QDialog::Accepted);
        return boxes.last();
    };
    EXPECT_EQ(attempt(), QStringLiteral("病名未入力です。"));
    f->cbFree->setChecked(true);
    f->edtBYONM->setText(QStringLiteral("   "));
    EXPECT_EQ(attempt(), QStringLiteral("病名未入力です。"));
    f->edtBYONM->setText(QStringLiteral("肺炎"));
    EXPECT_EQ(attempt(), QStringLiteral("発生時期（年）は西暦で正しく入力してください。"));
    f->nedtHY->setAsInteger(1899);
    EXPECT_EQ(attempt(), QStringLiteral("発生時期（年）は西暦で正しく入力してください。"));
    f->nedtHY->setAsInteger(2021);
    EXPECT_EQ(attempt(), QStringLiteral("発生時期（月）を選択してください。"));
    f->cmbHM->setCurrentIndex(2);
    EXPECT_EQ(attempt(), QStringLiteral("発生時期（日）を選択してください。"));
    f->cmbHD->setCurrentIndex(30);
    EXPECT_EQ(attempt(), QStringLiteral("発生時期が正しい日付ではありません。"));
    EXPECT_EQ(boxes.boxes.last().kind, msg::TKind::Warning);

    // Onset 2020-05-01 after an end date of 2020-04-30.
    fillOnset(*f, 2020, 5, 1);
    f->cbENDDTE->setChecked(true);
    f->dtpENDDTE->setDate(QDate(2020, 4, 30));
    EXPECT_EQ(attempt(), QStringLiteral("発生時期が終了日より大きくなっています。"));
    EXPECT_EQ(scalar(R"(SELECT COUNT(*) FROM "KLOV"."D_KANBYO")"), QStringLiteral("0"));

    // An unknown onset passes whatever the end date.
    f->cbHJIKIH->setChecked(true);
    boxes.boxes.clear();
    f->bbtnInsertClick();
    EXPECT_EQ(f->result(), QDialog::Accepted);
    EXPECT_TRUE(boxes.boxes.isEmpty());
    EXPECT_EQ(scalar(R"(SELECT "HJIKI" || '|' || TO_CHAR("ENDDTE",'YYYYMMDD') FROM "KLOV"."D_KANBYO")"),
              QStringLiteral("00000000|20200430"));
}

TEST_F(KanbyoTest, ChangeDetectionAndCompletedSummaryQuestion)
{
    // A master name: the master code, ICD-10 and the name come from the search.
    {
        auto f = editor();
        whenModal(QStringLiteral("TFrmSrcByo"), [](QWidget* w) {
            auto* s = static_cast<TFrmSrcByo*>(w);
            s->edtKana->setText(QStringLiteral("カイヨウ"));
            s->edtICD10->setText(QStringLiteral("k25"));
            s->bbtnSrcClick();
            ASSERT_EQ(s->query()->recordCount(), 1);
            s->bbtnOkClick();
        });
        f->cbFree->setChecked(true);
        f->sbSrcByoClick();
        EXPECT_FALSE(f->cbFree->isChecked());
        EXPECT_TRUE(f->edtBYONM->isReadOnly());
        EXPECT_EQ(f->edtBYONM->text(), QStringLiteral("胃潰瘍"));
        EXPECT_EQ(f->lblICD10->text(), QStringLiteral("K259"));
        EXPECT_EQ(f->lblBKNO->text(), QStringLiteral("20051234"));
        fillOnset(*f, 2018, 6, 0);
        f->bbtnInsertClick();
        ASSERT_EQ(f->result(), QDialog::Accepted);
    }

    // Unchanged: the notice and nothing written.
    auto f = editor(1, 1);
    EXPECT_EQ(f->lblICD10->text(), QStringLiteral("K259"));
    EXPECT_FALSE(f->cbFree->isChecked());
    f->bbtnInsertClick();
    EXPECT_EQ(boxes.texts(), QStringList{QStringLiteral("変更された項目がありません。")});
    EXPECT_EQ(boxes.boxes.last().kind, msg::TKind::Information);
    EXPECT_EQ(rows(), QStringLiteral("1/1/0"));

    // Ticking free entry with the master code kept counts as a change; a
    // completed summary using the disease asks first, and No writes nothing.
    addSummary(7, 1, 1);
    f->cbFree->setChecked(true);
    boxes.boxes.clear();
    boxes.answer(QMessageBox::No);
    f->bbtnInsertClick();
    EXPECT_EQ(boxes.texts(),
              QStringList{QStringLiteral("本病名を使用して作成した完成済の退院サマリがあります。\r\n"
                                         "修正により過去に印刷したサマリと内容に差異が出る可能性がありますがよろしいですか？")});
    EXPECT_EQ(boxes.boxes.last().kind, msg::TKind::Question);
    EXPECT_EQ(rows(), QStringLiteral("1/1/0"));
    f->bbtnInsertClick();   // Yes
    EXPECT_EQ(f->result(), QDialog::Accepted);
    EXPECT_EQ(f->FBNO, 1);
    EXPECT_EQ(f->FRNO, 2);
    EXPECT_EQ(rows(), QStringLiteral("1/1/1 1/2/0"));
    EXPECT_EQ(scalar(R"(SELECT "BKNO" FROM "KLOV"."D_KANBYO" WHERE "RNO" = 2)"), QStringLiteral("20051234"));

    // Remarks are compared as typed; a summary not yet completed asks nothing.
    addDisease(QStringLiteral("腰痛症"), QStringLiteral("安静"));
    addSummary(8, 0, 2);
    auto g = editor(2, 1);
    g->edtBIKO->setText(QStringLiteral("安静 "));
    boxes.boxes.clear();
    g->bbtnInsertClick();
    EXPECT_EQ(g->result(), QDialog::Accepted);
    EXPECT_TRUE(boxes.boxes.isEmpty());
}

TEST_F(KanbyoTest, DeletionRefusedWhileASummaryUsesTheDisease)
{
    addDisease(QStringLiteral("心不全"));
    addSummary(12, 0, 1);
    sql(R"(UPDATE "KLOV"."D_TAIYOU" SET "ACTKBN" = 0, "DELKBN" = 1)");   // any state or version counts
    TFrmMntKanbyo list;
    list.FID = 1001;
    list.FormShow();
    list.bbtnDeleteClick();
    EXPECT_EQ(boxes.texts(), QStringList{QStringLiteral("本病名を使用して作成した退院サマリがあるため削除できません[管理番号:12]")});
    EXPECT_EQ(rows(), QStringLiteral("1/1/0"));

    // Declining the confirmation keeps the row as well.
    sql(R"(DELETE FROM "KLOV"."D_TAIBYO")");
    boxes.answer(QMessageBox::No);
    list.bbtnDeleteClick();
    EXPECT_EQ(rows(), QStringLiteral("1/1/0"));
}

TEST_F(KanbyoTest, SaveRefusedWhileATransactionIsOpen)
{
    auto f = editor();
    f->cbFree->setChecked(true);
    f->edtBYONM->setText(QStringLiteral("胃炎"));
    f->cbHJIKIH->setChecked(true);
    dm().ADOCPOST.beginTrans();
    f->bbtnInsertClick();
    dm().ADOCPOST.rollbackTrans();
    EXPECT_EQ(boxes.texts(), QStringList{QStringLiteral("データ使用中のため登録できません。")});
    EXPECT_NE(f->result(), QDialog::Accepted);
    EXPECT_EQ(f->FBNO, 0);

    // A failing insert rolls back the retirement and keeps the numbers.
    f->bbtnInsertClick();
    ASSERT_EQ(f->result(), QDialog::Accepted);
    auto g = editor(1, 1);
    g->edtBIKO->setText(QStringLiteral("変更"));
    sql(R"(INSERT INTO "KLOV"."D_KANBYO" ("ID","BNO","RNO","DELKBN") VALUES (1001, 1, 2, 1))");
    sql(R"(ALTER TABLE "KLOV"."D_KANBYO" ADD CONSTRAINT "NO_RNO3" CHECK ("RNO" < 3))");
    boxes.boxes.clear();
    g->bbtnInsertClick();
    ASSERT_EQ(boxes.boxes.size(), 1);
    EXPECT_TRUE(boxes.last().startsWith(QStringLiteral("EQueryError\r\n")));
    EXPECT_EQ(g->FRNO, 1);
    EXPECT_EQ(rows(), QStringLiteral("1/1/0 1/2/1"));
    EXPECT_FALSE(dm().ADOCPOST.inTransaction());
}

TEST_F(KanbyoTest, NameSearchFiltersTheMasterOnTheClient)
{
    TFrmSrcByo s;
    s.FstrICD10 = QStringLiteral("K2");
    s.show();
    EXPECT_EQ(s.edtICD10->text(), QStringLiteral("K2"));
    EXPECT_FALSE(s.bbtnOk->isEnabled());
    s.bbtnSrcClick();
    ASSERT_EQ(s.query()->recordCount(), 2);
    // Sorted by kana on the first search.
    EXPECT_EQ(s.query()->fieldAt(0, QStringLiteral("BYONM")).asString(), QStringLiteral("胃潰瘍"));

    // A quote is just a character of the criterion; the code is a prefix.
    s.edtICD10->clear();
    s.edtName->setText(QStringLiteral("O'Brien"));
    s.bbtnSrcClick();
    ASSERT_EQ(s.query()->recordCount(), 1);
    s.edtName->clear();
    s.edtICD10->setText(QStringLiteral("59"));
    s.bbtnSrcClick();
    EXPECT_EQ(s.query()->recordCount(), 0);
    EXPECT_FALSE(s.bbtnOk->isEnabled());
    s.bbtnOkClick();
    EXPECT_NE(s.result(), QDialog::Accepted);

    s.edtICD10->setText(QStringLiteral(" Q87 "));
    s.bbtnSrcClick();
    ASSERT_TRUE(s.bbtnOk->isEnabled());
    s.bbtnOkClick();
    EXPECT_EQ(s.result(), QDialog::Accepted);
    EXPECT_EQ(s.FstrByo, QStringLiteral("O'Brien症候群"));
    EXPECT_EQ(s.FstrICD10, QStringLiteral("Q871"));
    EXPECT_EQ(s.FstrBKNO, QStringLiteral("20059999"));
}

TEST_F(KanbyoTest, TwoWorkstationsEditingOneDiseaseLeaveOneLiveRow)
{
    addDisease(QStringLiteral("心不全"));
    TFrmMntKanbyo list;
    list.FID = 1001;
    list.FormShow();
    auto f = editor(1, 1);
    f->edtBIKO->setText(QStringLiteral("こちら"));
    // the other workstation saves its edit of the same disease first
    sql(R"(UPDATE "KLOV"."D_KANBYO" SET "DELKBN" = 1 WHERE "BNO" = 1;
           INSERT INTO "KLOV"."D_KANBYO" ("ID","BNO","RNO","BYONM","DELKBN") VALUES (1001,1,2,'心不全',0);)");
    boxes.boxes.clear();
    f->bbtnInsertClick();
    EXPECT_EQ(boxes.texts(), QStringList{kConflictMessage});
    EXPECT_EQ(f->result(), precord::kReadAgain);
    EXPECT_EQ(rows(), QStringLiteral("1/1/1 1/2/0"));
    EXPECT_EQ(precord::editorOutcome(f->result(), QVariant(1)), std::optional<QVariant>(QVariant()))
        << "the list reads the disease again";

    // deleting the row the list still shows, retired elsewhere meanwhile
    sql(R"(UPDATE "KLOV"."D_KANBYO" SET "DELKBN" = 1 WHERE "RNO" = 2;
           INSERT INTO "KLOV"."D_KANBYO" ("ID","BNO","RNO","BYONM","DELKBN") VALUES (1001,1,3,'心不全',0);)");
    list.openList();
    sql(R"(UPDATE "KLOV"."D_KANBYO" SET "DELKBN" = 1 WHERE "RNO" = 3)");
    boxes.boxes.clear();
    list.bbtnDeleteClick();
    EXPECT_EQ(boxes.last(), kConflictMessage);
    EXPECT_EQ(list.query()->recordCount(), 0) << "the list is read again";
}

TEST_F(KanbyoTest, AStoredNameLongerThanTheFieldIsShownAndKeptWhole)
{
    const QString longName = QString(80, QChar(0x75C5));   // "病" × 80, wider than typing allows
    addDisease(QStringLiteral("心不全"));
    sql(QStringLiteral(R"(UPDATE "KLOV"."D_KANBYO" SET "BYONM" = '%1', "BIKO" = '%2')").arg(longName, QString(70, QLatin1Char('b'))));
    auto f = editor(1, 1);
    EXPECT_EQ(f->edtBYONM->text(), longName);
    EXPECT_EQ(f->edtBIKO->text().size(), 70);
    f->bbtnInsertClick();
    EXPECT_EQ(boxes.texts(), QStringList{QStringLiteral("変更された項目がありません。")});
    // typing into an empty field still stops at its limit
    auto g = editor();
    g->cbFree->setChecked(true);
    g->edtBYONM->setFocus();
    QTest::keyClicks(g->edtBYONM, QString(60, QLatin1Char('x')));
    EXPECT_EQ(g->edtBYONM->text().size(), 50);
}
