// Allergies and devices: the rule that a "none" entry never lives beside
// the others (also for saves made at once, and for an entry registered while
// a question is open), the questions of the save, new numbers for changed
// entries, an entry retired elsewhere before it is changed, and the two prints.

#include "common/PageCapture.h"
#include "common/TestApp.h"

#include "controls/NumberEdit.h"
#include "controls/PlPrev.h"
#include "controls/PlSetPrinter.h"
#include "db/Errors.h"
#include "db/Numbers.h"
#include "db/Query.h"
#include "db/Transaction.h"
#include "patient/FrmMntAllergyU.h"
#include "patient/FrmMntDeviceU.h"
#include "patient/FrmUpdAllergyU.h"
#include "patient/FrmUpdDeviceU.h"
#include "patient/OnsetEdit.h"
#include "patient/PrtEntriesU.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>

#include <thread>

namespace {

class AllergyTest : public AppTest {
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        loginAs(QStringLiteral("dr1"));
        sql(R"(INSERT INTO "KLOV"."M_KANJA" ("ID","RNO","ACTKBN","KNJKANA","KNJNAME","SEX","BIRTH","DELKBN")
               VALUES (1001, 1, 1, 'ヤマダ タロウ', '山田 太郎', 0, '1960-04-01', 0))");
    }

    std::unique_ptr<TFrmUpdAllergy> editor(int rno = 0)
    {
        auto f = std::make_unique<TFrmUpdAllergy>();
        f->FID = 1001;
        f->FRNO = rno;
        f->FormShow();
        return f;
    }

    // Saves an entry through the edit form; returns whether it closed with OK.
    bool save(int kind, const QString& substance = {}, const QDate& date = QDate(2024, 5, 1), int rno = 0)
    {
        auto f = editor(rno);
        f->dtpADDDTE->setDate(date);
        f->cmbHKBN->setCurrentIndex(kind);
        if (kind != 0) {
            f->edtALLEHIN->setText(substance);
            f->edtHANNOU->setText(QStringLiteral("発疹"));
            f->onset->cbHJIKIH->setChecked(true);
            f->cbKAFAMY->setChecked(true);
        }
        f->bbtnInsertClick();
        return f->result() == QDialog::Accepted;
    }

    // "RNO:HKBN:DELKBN" of every entry of the patient.
    QString entries()
    {
        return scalar(R"(SELECT STRING_AGG("RNO" || ':' || "HKBN" || ':' || "DELKBN", ' ' ORDER BY "RNO")
                         FROM "KLOV"."M_ALLERGY" WHERE "ID" = 1001)");
    }
};

} // namespace

TEST_F(AllergyTest, NoneAndPresentEntriesNeverLiveTogether)
{
    ASSERT_TRUE(save(1, QStringLiteral("卵")));
    ASSERT_TRUE(save(2, QStringLiteral("造影剤")));
    EXPECT_TRUE(boxes.boxes.isEmpty()) << boxes.last().toStdString();

    // "None" asks once about the two entries and retires both.
    ASSERT_TRUE(save(0));
    EXPECT_EQ(boxes.texts(), QStringList{QStringLiteral("既にアレルギーあり又は不詳で登録された情報があります。\r\n"
                                                        "このまま登録した場合そのデータは失われますがよろしいですか？")});
    EXPECT_EQ(entries(), QStringLiteral("1:1:1 2:2:1 3:0:0"));
    TFrmMntAllergy list;
    list.FID = 1001;
    list.FormShow();
    EXPECT_FALSE(list.lblAlle->isHidden());
    EXPECT_EQ(list.lblInsDte->text(), QStringLiteral("登録日：2024/05/01"));

    // A second "none" on the same date is refused; on another date it replaces the first.
    boxes.boxes.clear();
    EXPECT_FALSE(save(0));
    EXPECT_EQ(boxes.last(), QStringLiteral("既に同一登録日でアレルギーなし登録された情報があります。"));
    ASSERT_TRUE(save(0, {}, QDate(2024, 6, 1)));
    EXPECT_EQ(boxes.last(), QStringLiteral("別の登録日でアレルギーありで登録されています。\r\n"
                                           "今回の登録日で上書き登録されますがよろしいですか？"));
    EXPECT_EQ(entries(), QStringLiteral("1:1:1 2:2:1 3:0:1 4:0:0"));

    // "Present" asks about the none entry and retires it; the next does not ask again.
    boxes.boxes.clear();
    ASSERT_TRUE(save(1, QStringLiteral("そば")));
    EXPECT_EQ(boxes.texts(),
              QStringList{QStringLiteral("現在この患者はアレルギーなしで登録されています。\r\n登録してよろしいですか？")});
    boxes.boxes.clear();
    ASSERT_TRUE(save(1, QStringLiteral("小麦")));
    EXPECT_TRUE(boxes.boxes.isEmpty()) << boxes.last().toStdString();
    EXPECT_EQ(entries(), QStringLiteral("1:1:1 2:2:1 3:0:1 4:0:1 5:1:0 6:1:0"));
    TFrmMntAllergy again;
    again.FID = 1001;
    again.FormShow();
    EXPECT_TRUE(again.lblAlle->isHidden());

    // A change takes the patient's next number; an earlier name, history
    // included, asks the same-name question.
    auto f = editor(5);
    EXPECT_EQ(f->edtALLEHIN->text(), QStringLiteral("そば"));
    f->edtALLEHIN->setText(QStringLiteral("卵"));
    boxes.boxes.clear();
    f->bbtnInsertClick();
    EXPECT_EQ(boxes.texts(), QStringList{QStringLiteral("同名の対象食品・薬品等の登録があります。登録してもよろしいですか？")});
    EXPECT_EQ(f->FRNO, 7);
    EXPECT_EQ(entries(), QStringLiteral("1:1:1 2:2:1 3:0:1 4:0:1 5:1:1 6:1:0 7:1:0"));
}

TEST_F(AllergyTest, NoneSavedWhileAnotherWorkstationAddsAnEntry)
{
    // The other workstation holds the patient's entries while it adds one;
    // the "none" saved meanwhile waits for it and then, finding an entry the
    // user was not told of, writes nothing: the two never live together.
    std::atomic<bool> holding{false};
    std::thread other([&] {
        TConnection c;
        c.open(dataSource(), testenv::password());
        runTransaction(c, [&] {
            const int rno = numbers::nextAllergyRno(c, 1001);
            TQuery q(&c);
            q.setSql(R"(INSERT INTO "KLOV"."M_ALLERGY" ("ID","RNO","HKBN","ALLEHIN","DELKBN") VALUES (1001, :RNO, 1, '卵', 0))");
            q.setInt("RNO", rno).execSql();
            holding = true;
            std::this_thread::sleep_for(std::chrono::milliseconds(400));
        });
    });
    ASSERT_TRUE(waitFor([&] { return holding.load(); }));
    const bool saved = save(0);
    other.join();
    EXPECT_FALSE(saved);
    EXPECT_EQ(boxes.texts(), QStringList{kConflictMessage});
    EXPECT_EQ(entries(), QStringLiteral("1:1:0"));
}

TEST_F(AllergyTest, ChecksInOrder)
{
    auto f = editor();
    f->bbtnInsertClick();
    EXPECT_EQ(boxes.last(), QStringLiteral("アレルギー・不適応反応未選択です。"));
    f->cmbHKBN->setCurrentIndex(1);
    EXPECT_FALSE(f->grpAlle->isHidden());
    f->bbtnInsertClick();
    EXPECT_EQ(boxes.last(), QStringLiteral("対象食品・薬品等未入力です。"));
    f->edtALLEHIN->setText(QStringLiteral("卵"));
    boxes.answer(QMessageBox::Yes);
    f->bbtnInsertClick();
    EXPECT_EQ(boxes.texts().mid(2), (QStringList{QStringLiteral("反応未入力ですがよろしいですか？"),
                                                 QStringLiteral("発生時期（年）は西暦で正しく入力してください。")}));
    f->onset->nedtHY->setAsInteger(2020);
    f->onset->cmbHM->setCurrentIndex(0);
    boxes.answer(QMessageBox::Yes);
    boxes.answer(QMessageBox::No);
    f->bbtnInsertClick();
    EXPECT_EQ(boxes.last(), QStringLiteral("本人・家族確認か医療従事者確認どちらも未確認ですがよろしいですか？。"));
    EXPECT_EQ(entries(), QString());
    f->cmbHKBN->setCurrentIndex(0);
    EXPECT_TRUE(f->grpAlle->isHidden());
}

TEST_F(AllergyTest, DevicesAndBothPrints)
{
    // A changed device takes a new number; history shows both.
    TFrmUpdDevice d;
    d.FID = 1001;
    d.FormShow();
    d.bbtnInsertClick();
    EXPECT_EQ(boxes.last(), QStringLiteral("デバイス未入力です。"));
    d.dtpADDDTE->setDate(QDate(2024, 2, 3));
    d.edtDEVICE->setText(QStringLiteral("  ペースメーカー"));
    d.bbtnInsertClick();
    ASSERT_EQ(d.result(), QDialog::Accepted);
    TFrmUpdDevice c;
    c.FID = 1001;
    c.FRNO = 1;
    c.FormShow();
    c.bbtnInsertClick();
    EXPECT_EQ(boxes.last(), QStringLiteral("変更された項目がありません。"));
    c.edtCOMM->setText(QStringLiteral("MRI不可"));
    c.bbtnInsertClick();
    EXPECT_EQ(c.FRNO, 2);
    EXPECT_EQ(scalar(R"(SELECT STRING_AGG("RNO" || ':' || "DEVICE" || ':' || "DELKBN", ' ' ORDER BY "RNO") FROM "KLOV"."M_DEVICE")"),
              QStringLiteral("1:ペースメーカー:1 2:ペースメーカー:0"));

    // The device print goes on over pages with no second heading.
    for (int i = 0; i < 60; ++i)
        sql(QStringLiteral(R"(INSERT INTO "KLOV"."M_DEVICE" ("ID","RNO","ADDDTE","DEVICE","COMM","DELKBN")
                              VALUES (1001, %1, '2024-03-01', 'カテーテル%1', '%2', 0))")
                .arg(10 + i)
                .arg(i == 0 ? QString(60, QChar(0x3042)) : QString()));
    TplSetPrinter setPrinter;
    TplPrev prev;
    ASSERT_TRUE(PrtDevice(nullptr, prev, setPrinter, 1001));
    pagecap::savePng(prev, QStringLiteral("devices"));
    ASSERT_EQ(prev.PageCount(), 2);
    EXPECT_EQ(prev.FTitle, QStringLiteral("デバイス印刷"));
    const pagecap::TPage p1 = pagecap::capturePage(prev, 1);
    const pagecap::TPage p2 = pagecap::capturePage(prev, 2);
    EXPECT_TRUE(p1.hasText(QStringLiteral("登録デバイス一覧")));
    EXPECT_TRUE(p1.hasText(QStringLiteral("デバイス情報")));
    EXPECT_FALSE(p2.hasText(QStringLiteral("デバイス情報")));
    EXPECT_TRUE(p2.hasRule(200, 170, 1930));
    // the long comment shrinks below 10 pt to fit its cell
    const auto comment = p1.find(QString(60, QChar(0x3042)));
    ASSERT_EQ(comment.size(), 1u);
    EXPECT_LE(comment.front().right, 1930);

    // The allergy print: the present and the unknown section.
    ASSERT_TRUE(save(1, QStringLiteral("卵")));
    ASSERT_TRUE(save(2, QStringLiteral("造影剤")));
    TplPrev alle;
    ASSERT_TRUE(PrtAllergy(nullptr, alle, setPrinter, 1001));
    pagecap::savePng(alle, QStringLiteral("allergies"));
    EXPECT_EQ(alle.FTitle, QStringLiteral("アレルギー印刷"));
    const pagecap::TPage a = pagecap::capturePage(alle, 1);
    for (const char* t : {"登録アレルギー一覧", "あり", "不詳", "卵", "造影剤", "医療従事者申告", "医療従事者確認", "2024/5/1"})
        EXPECT_TRUE(a.hasText(QString::fromUtf8(t))) << t;
}

TEST_F(AllergyTest, ChangingAnEntryRetiredElsewhereSaysSoAtOnce)
{
    ASSERT_TRUE(save(1, QStringLiteral("卵")));
    sql(R"(INSERT INTO "KLOV"."M_DEVICE" ("ID","RNO","ADDDTE","DEVICE","DELKBN")
           VALUES (1001, 1, '2024-03-01', 'ペースメーカー', 0))");
    TFrmMntAllergy allergies;
    TFrmMntDevice devices;
    const std::vector<TFrmPatientRecordList*> lists{&allergies, &devices};
    for (TFrmPatientRecordList* list : lists) {
        list->FID = 1001;
        list->FormShow();
        ASSERT_EQ(list->query()->recordCount(), 1);
    }
    sql(R"(UPDATE "KLOV"."M_ALLERGY" SET "DELKBN" = 1; UPDATE "KLOV"."M_DEVICE" SET "DELKBN" = 1)");
    for (TFrmPatientRecordList* list : lists) {
        boxes.boxes.clear();
        int opened = 0;
        QTimer closer;
        closer.setInterval(20);
        QObject::connect(&closer, &QTimer::timeout, [&] {
            if (QWidget* w = QApplication::activeModalWidget()) {
                ++opened;
                w->close();
            }
        });
        closer.start();
        list->bbtnUpdateClick();
        EXPECT_EQ(opened, 0) << "no blank form to fill in: " << list->objectName().toStdString();
        EXPECT_EQ(boxes.texts(), QStringList{kConflictMessage});
        EXPECT_TRUE(list->query()->isEmpty()) << "the list is read again";
    }
}

TEST_F(AllergyTest, AnEntryRegisteredWhileAQuestionIsOpenStopsTheSave)
{
    ASSERT_TRUE(save(1, QStringLiteral("卵")));
    TFrmMntAllergy list;
    list.FID = 1001;
    list.FormShow();
    // Another workstation writes while the next question is open.
    QString meanwhile;
    boxes.onBox = [&](const msg::TBox& b) {
        if (b.kind == msg::TKind::Question && !meanwhile.isEmpty()) {
            sql(meanwhile);
            meanwhile.clear();
        }
    };

    // "なし" after being told of 卵, while 造影剤 is registered.
    whenModal(QStringLiteral("TFrmUpdAllergy"), [&](QWidget* w) {
        auto* f = static_cast<TFrmUpdAllergy*>(w);
        f->cmbHKBN->setCurrentIndex(0);
        meanwhile = QStringLiteral(R"(INSERT INTO "KLOV"."M_ALLERGY" ("ID","RNO","HKBN","ADDDTE","ALLEHIN","DELKBN")
                                      VALUES (1001, 2, 1, '2024-05-02', '造影剤', 0))");
        boxes.boxes.clear();
        f->bbtnInsertClick();
        EXPECT_EQ(boxes.texts(), (QStringList{QStringLiteral("既にアレルギーあり又は不詳で登録された情報があります。\r\n"
                                                             "このまま登録した場合そのデータは失われますがよろしいですか？"),
                                              kConflictMessage}));
        EXPECT_EQ(entries(), QStringLiteral("1:1:0 2:1:0"));
        EXPECT_EQ(list.query()->recordCount(), 2) << "the list is read again";
        EXPECT_TRUE(f->isVisible());
        f->reject();
    });
    list.bbtnInsertClick();

    // "あり" while a "なし" is registered: what was typed stays, and the next
    // press asks about the "なし" entry.
    whenModal(QStringLiteral("TFrmUpdAllergy"), [&](QWidget* w) {
        auto* f = static_cast<TFrmUpdAllergy*>(w);
        f->cmbHKBN->setCurrentIndex(1);
        f->edtALLEHIN->setText(QStringLiteral("そば"));
        f->onset->cbHJIKIH->setChecked(true);
        f->cbKAFAMY->setChecked(true);
        meanwhile = QStringLiteral(R"(UPDATE "KLOV"."M_ALLERGY" SET "DELKBN" = 1;
                                      INSERT INTO "KLOV"."M_ALLERGY" ("ID","RNO","HKBN","ADDDTE","DELKBN")
                                      VALUES (1001, 3, 0, '2024-05-03', 0))");
        boxes.boxes.clear();
        f->bbtnInsertClick();
        EXPECT_EQ(boxes.texts(), (QStringList{QStringLiteral("反応未入力ですがよろしいですか？"), kConflictMessage}));
        EXPECT_EQ(entries(), QStringLiteral("1:1:1 2:1:1 3:0:0"));
        EXPECT_FALSE(list.lblAlle->isHidden()) << "the list is read again";
        EXPECT_EQ(f->edtALLEHIN->text(), QStringLiteral("そば"));
        boxes.boxes.clear();
        f->bbtnInsertClick();
        EXPECT_EQ(boxes.texts().first(),
                  QStringLiteral("現在この患者はアレルギーなしで登録されています。\r\n登録してよろしいですか？"));
        EXPECT_EQ(f->result(), QDialog::Accepted);
        if (f->isVisible())
            f->reject();
    });
    list.bbtnInsertClick();
    EXPECT_EQ(entries(), QStringLiteral("1:1:1 2:1:1 3:0:1 4:1:0"));
}

TEST_F(AllergyTest, AllergyPrintAddsNoPageForAnEmptyGroup)
{
    // 54 "あり" entries end their group below 2750 on the first page.
    sql(R"(INSERT INTO "KLOV"."M_ALLERGY" ("ID","RNO","HKBN","ADDDTE","ALLEHIN","DELKBN")
           SELECT 1001, n, 1, '2024-05-01', '卵' || n, 0 FROM generate_series(1, 54) n)");
    TplSetPrinter setPrinter;
    TplPrev prev;
    ASSERT_TRUE(PrtAllergy(nullptr, prev, setPrinter, 1001));
    EXPECT_EQ(prev.PageCount(), 1);
    // A "不詳" entry then starts the next page with its heading.
    sql(R"(INSERT INTO "KLOV"."M_ALLERGY" ("ID","RNO","HKBN","ADDDTE","ALLEHIN","DELKBN")
           VALUES (1001, 55, 2, '2024-05-02', '造影剤', 0))");
    TplPrev more;
    ASSERT_TRUE(PrtAllergy(nullptr, more, setPrinter, 1001));
    ASSERT_EQ(more.PageCount(), 2);
    EXPECT_TRUE(pagecap::capturePage(more, 2).hasText(QStringLiteral("造影剤")));
}
