// The printed disease and operation lists: page head, shrink and wrap of
// the name cell, page continuation, and the Shift-JIS byte cut.

#include "common/PageCapture.h"
#include "common/TestApp.h"

#include "controls/PlPrev.h"
#include "controls/PlPrevForm.h"
#include "controls/PlSetPrinter.h"
#include "patient/FrmMntKanbyoU.h"
#include "patient/PrtKanbyoU.h"
#include "patient/PrtKanopeU.h"
#include "app/SjisText.h"

#include <QCheckBox>
#include <QPushButton>

#include <algorithm>
#include <set>
#include <vector>

namespace {

using pagecap::TPage;

// One recorded page, every text run as it was drawn.
TPage capture(const TplPrev& prev, int page) { return pagecap::capturePage(prev, page); }

using pagecap::savePng;

prthead::TPrtPatient patient()
{
    prthead::TPrtPatient p;
    p.id = 1234567;
    p.kana = QStringLiteral("ヤマダ タロウ");
    p.name = QStringLiteral("山田 太郎");
    p.sex = 0;
    p.birth = QDate(1960, 4, 1);
    p.postcd = QStringLiteral("123-4567");
    p.adr = QStringLiteral("東京都千代田区千代田１－１");
    p.tel = QStringLiteral("03-1234-5678");
    return p;
}

class PatientPrintTest : public AppTest {
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        loginAs(QStringLiteral("dr1"));
    }
    void begin(const QString& title) { prthead::beginDocument(prev, setPrinter, title); }

    TplSetPrinter setPrinter;
    TplPrev prev;
    const QDateTime printedAt{QDate(2024, 3, 31), QTime(9, 5, 7)};
};

} // namespace

TEST(SjisText, CutsAtCharacterBoundaries)
{
    EXPECT_EQ(sjis::byteLength(QStringLiteral("aｱあ亜")), 1 + 1 + 2 + 2);
    EXPECT_EQ(sjis::cutToBytes(QStringLiteral("あいう"), 5), QStringLiteral("あい"));
    EXPECT_EQ(sjis::cutToBytes(QStringLiteral("aあ"), 2), QStringLiteral("a"));
    EXPECT_EQ(sjis::cutToBytes(QStringLiteral("abc"), 10), QStringLiteral("abc"));
    EXPECT_EQ(sjis::cutToBytes(QStringLiteral("abc"), 0), QString());
    // A character outside the code page counts as its substitute; a
    // surrogate pair is never split.
    const QString emoji = QString::fromUtf8("a\xF0\x9F\x98\x80" "b");
    const int upToEmoji = sjis::byteLength(emoji.left(3));
    EXPECT_GT(upToEmoji, 1);
    EXPECT_EQ(sjis::cutToBytes(emoji, upToEmoji), emoji.left(3));
    EXPECT_EQ(sjis::cutToBytes(emoji, upToEmoji - 1), QStringLiteral("a"));
}

TEST_F(PatientPrintTest, DiseaseHeadAndRows)
{
    begin(QStringLiteral("患者病名印刷"));
    std::vector<TrecData> rows(2);
    rows[0].BNO = 1;
    rows[0].BYONM = QStringLiteral("高血圧症");
    rows[0].DISTKBN = 1;
    rows[0].ICD10 = QStringLiteral("I10");
    rows[0].HJIKI = QStringLiteral("20190300");
    rows[0].ADDDTE = QDate(2024, 1, 5);
    rows[0].TENKI = 1;
    rows[0].BIKO = QStringLiteral("内服継続");
    rows[1].BNO = 2;
    rows[1].BYONM = QStringLiteral("不眠症");
    rows[1].HJIKI = QStringLiteral("00000000");
    DrawKanbyo(prev, patient(), rows, printedAt);
    prev.EndDoc();
    savePng(prev, QStringLiteral("kanbyo-head"));
    ASSERT_EQ(prev.PageCount(), 1);
    EXPECT_EQ(prev.FTitle, QStringLiteral("患者病名印刷"));

    const TPage page = capture(prev, 1);
    for (const char* t : {"患者病名印刷", "2024/03/31 09:05:07", "氏名", "かな", "患者ID", "住所", "生年月日", "年齢",
                          "性別", "電話", "山田 太郎", "1234567", "〒123-4567", "(昭和35)1960/4/1", "63 歳", "男",
                          "03-1234-5678", "高血圧症疑い", "I10", "2019年3月頃", "2024/1/5", "軽快", "不明"})
        EXPECT_TRUE(page.hasText(QString::fromUtf8(t))) << t;
    EXPECT_EQ(page.joined(1305, 1930, 403, 450), QStringLiteral("内服継続"));
    // Patient box and the row rules.
    EXPECT_TRUE(page.hasRule(250, 170, 1930));
    EXPECT_TRUE(page.hasRule(293, 170, 1930));
    EXPECT_TRUE(page.hasRule(336, 170, 1930));
    EXPECT_TRUE(page.hasRule(403, 170, 1930));
    EXPECT_TRUE(page.hasRule(446, 170, 1930));
    EXPECT_TRUE(page.hasRule(489, 170, 1930));
}

TEST_F(PatientPrintTest, LongDiseaseNameShrinksThenWrapsAtSixPoints)
{
    begin(QStringLiteral("患者病名印刷"));
    const QString medium = QStringLiteral("慢性閉塞性肺疾患急性増悪時呼吸不全");    // fits at 7 pt
    const QString longName = sjis::cutToBytes(QString(60, QChar(0x75C5)) , 100);          // 50 x "病"
    ASSERT_EQ(longName.size(), 50);
    EXPECT_GT(prtkanbyo::nameFontSize(prev, medium), 6);
    EXPECT_LT(prtkanbyo::nameFontSize(prev, medium), 10);
    EXPECT_EQ(prtkanbyo::nameFontSize(prev, longName), 6);

    std::vector<TrecData> rows(2);
    rows[0].BNO = 1;
    rows[0].BYONM = longName;
    rows[1].BNO = 2;
    rows[1].BYONM = medium;
    DrawKanbyo(prev, patient(), rows, printedAt);
    prev.EndDoc();
    savePng(prev, QStringLiteral("kanbyo-wrap"));
    const TPage page = capture(prev, 1);

    // The long name: 6 pt (21 units high) rows 21 apart inside 275-708,
    // every character of it printed; the row grows to hold them.
    const auto wrapped = page.textsIn(275, 708, 403, 403 + 5 * 21);
    ASSERT_FALSE(wrapped.empty());
    std::set<int> baselines;
    QString all;
    for (const auto& t : wrapped) {
        if (t.height != TplPrev::PointsToHeight(6))
            continue;
        baselines.insert(qRound(t.pos.y()));
        all += t.text;
        EXPECT_LE(t.pos.x(), 708);
    }
    EXPECT_EQ(all, longName);
    ASSERT_GE(baselines.size(), 2u);
    EXPECT_EQ(*std::next(baselines.begin()) - *baselines.begin(), 21);
    const int rowEnd = 404 + int(baselines.size()) * 21;
    EXPECT_TRUE(page.hasRule(rowEnd, 170, 1930)) << rowEnd;

    // The medium name stays one line at its shrunk size.
    const auto single = page.textsIn(275, 708, rowEnd, rowEnd + 43);
    ASSERT_FALSE(single.empty());
    EXPECT_EQ(page.joined(275, 708, rowEnd, rowEnd + 43), medium);
    EXPECT_EQ(single[0].height, TplPrev::PointsToHeight(7));
}

TEST_F(PatientPrintTest, LongRemarkContinuesOnTheNextPage)
{
    begin(QStringLiteral("患者病名印刷"));
    const QString remark = sjis::cutToBytes(QString(80, QChar(0x8A18)), 128);   // 64 x "記"
    std::vector<TrecData> rows;
    for (int i = 1; i <= 20; ++i) {
        TrecData r;
        r.BNO = i;
        r.BYONM = QStringLiteral("病名%1番").arg(i);
        r.BIKO = remark;
        rows.push_back(r);
    }
    DrawKanbyo(prev, patient(), rows, printedAt);
    prev.EndDoc();
    savePng(prev, QStringLiteral("kanbyo-continue"));
    ASSERT_EQ(prev.PageCount(), 2);

    const TPage p1 = capture(prev, 1);
    const TPage p2 = capture(prev, 2);
    // Page 2: the rule at 200, no head and no heading row again.
    EXPECT_TRUE(p2.hasRule(200, 170, 1930));
    EXPECT_FALSE(p2.hasText(QStringLiteral("患者病名印刷")));
    EXPECT_FALSE(p2.hasText(QStringLiteral("コメント")));
    EXPECT_TRUE(p1.hasText(QStringLiteral("コメント")));

    // The row that reached the foot: its remark lines are split between the
    // pages, nothing lost, the rest starting 5 below the rule.
    QString split;
    int number = 0;
    for (int i = 1; i <= 20; ++i)
        if (p1.hasText(QStringLiteral("病名%1番").arg(i)))
            number = i;
    ASSERT_GT(number, 1);
    ASSERT_LT(number, 20);
    const auto tail = p2.textsIn(1305, 1930, 200, 200 + 5 + 32 * 4);
    ASSERT_FALSE(tail.empty());
    const auto head = p1.textsIn(1305, 1930, 2500, 2850);
    double lastTop = 0;
    for (const auto& t : head)
        lastTop = std::max(lastTop, t.pos.y());
    EXPECT_LT(lastTop, 2800 + 32);
    const double firstBaseline = std::min_element(tail.begin(), tail.end(), [](auto& a, auto& b) {
                                     return a.pos.y() < b.pos.y();
                                 })->pos.y();
    EXPECT_GT(firstBaseline, 205);
    EXPECT_LT(firstBaseline, 205 + 32);
    EXPECT_FALSE(p2.hasText(QStringLiteral("病名%1番").arg(number)));
    EXPECT_TRUE(p2.hasText(QStringLiteral("病名%1番").arg(number + 1)));
    // Every remark character of all rows was printed exactly once.
    int printed = 0;
    for (const TPage* p : {&p1, &p2})
        for (const auto& t : p->textsIn(1305, 1930, p == &p1 ? 403 : 200, 2970))
            printed += int(t.text.count(QChar(0x8A18)));
    EXPECT_EQ(printed, 20 * 64);
}

TEST_F(PatientPrintTest, OperationRowsAndContinuation)
{
    begin(QStringLiteral("手術情報印刷"));
    std::vector<TrecOpe> rows;
    for (int i = 0; i < 18; ++i) {
        TrecOpe r;
        r.OPEDTE = QDate(2023, 1, 1).addDays(i);
        r.OPENM = QStringLiteral("腹腔鏡下胆嚢摘出術%1").arg(i);
        r.KCODE = QStringLiteral("K672-2");
        r.OPEDR1NM = QStringLiteral("阿部");
        r.OPEDR2NM = i % 2 ? QStringLiteral("伊藤") : QString();
        r.JYO2NM = i % 3 ? QString() : QStringLiteral("上田");
        r.COMM = QString(100, QChar(0x8853));   // 100 x "術"
        rows.push_back(r);
    }
    EXPECT_EQ(KanopeDoctorsText(rows[0]), QStringLiteral("阿部/ 上田"));
    EXPECT_EQ(KanopeDoctorsText(rows[1]), QStringLiteral("阿部 伊藤"));
    DrawKanope(prev, patient(), rows, printedAt);
    prev.EndDoc();
    savePng(prev, QStringLiteral("kanope"));
    ASSERT_EQ(prev.PageCount(), 2);
    const TPage p1 = capture(prev, 1);
    const TPage p2 = capture(prev, 2);
    for (const char* t : {"登録手術情報一覧", "手術・手技", "実施日", "内容", "CODE", "術者/助手", "2023/1/1", "K672-2"})
        EXPECT_TRUE(p1.hasText(QString::fromUtf8(t))) << t;
    EXPECT_TRUE(p1.hasRule(456, 170, 1930));
    EXPECT_TRUE(p2.hasRule(200, 170, 1930));
    EXPECT_FALSE(p2.hasText(QStringLiteral("手術・手技")));
    int printed = 0;
    for (const TPage* p : {&p1, &p2})
        for (const auto& t : p->textsIn(1325, 1930, p == &p1 ? 456 : 200, 2970))
            printed += int(t.text.count(QChar(0x8853)));
    EXPECT_EQ(printed, 18 * 100);
}

TEST_F(PatientPrintTest, ListPrintsLiveRowsOnly)
{
    sql(R"(INSERT INTO "KLOV"."M_KANJA" ("ID","RNO","ACTKBN","KNJKANA","KNJNAME","SEX","BIRTH","DELKBN")
           VALUES (1001, 1, 1, 'ヤマダ', '山田 太郎', 0, '1960-04-01', 0);
           INSERT INTO "KLOV"."D_KANBYO" ("ID","BNO","RNO","ADDDTE","BKNO","BYONM","HJIKI","ENDDTE","DELKBN") VALUES
           (1001, 1, 1, '2024-01-01', '', '旧い病名', '20190000', '1899-12-30', 1),
           (1001, 1, 2, '2024-01-02', '', '新しい病名', '20190000', '1899-12-30', 0),
           (1001, 2, 1, '2024-01-03', '', '消した病名', '', '1899-12-30', 1);
           INSERT INTO "KLOV"."D_KANBYO" ("ID","BNO","RNO","BYONM","DELKBN") VALUES (3003, 1, 1, '患者なし', 0))");

    TFrmMntKanbyo list;
    list.FID = 1001;
    list.FormShow();
    list.cbRireki->setChecked(true);
    list.cbRirekiClick();
    ASSERT_EQ(list.query()->recordCount(), 3);
    whenModal(QStringLiteral("TplPrevForm"), [](QWidget* w) { w->close(); });
    list.bbtnPrintClick();
    ASSERT_EQ(list.plPrev1->PageCount(), 1);
    EXPECT_EQ(list.plPrev1->FTitle, QStringLiteral("患者病名印刷"));
    const TPage page = capture(*list.plPrev1, 1);
    EXPECT_TRUE(page.hasText(QStringLiteral("新しい病名")));
    EXPECT_FALSE(page.hasText(QStringLiteral("旧い病名")));
    EXPECT_FALSE(page.hasText(QStringLiteral("消した病名")));
    EXPECT_TRUE(boxes.boxes.isEmpty());

    // Nothing live, and rows without a patient.
    EXPECT_FALSE(PrtKanbyo(nullptr, prev, setPrinter, 4004));
    EXPECT_FALSE(PrtKanbyo(nullptr, prev, setPrinter, 3003));
    EXPECT_FALSE(PrtKanope(nullptr, prev, setPrinter, 1001));
    EXPECT_EQ(boxes.texts(), (QStringList{QStringLiteral("登録されたデータがありません。"), QStringLiteral("この患者IDは存在しません。"),
                                          QStringLiteral("登録されたデータがありません。")}));
}
