// The printed discharge summary: real summaries of the test database drawn
// through the page recorder, then read back from the recorded pages (texts
// with their boxes, lines and filled rectangles) and rendered to PNG/PDF.

#include "app/SjisText.h"
#include "main/PrtTaiyouU.h"

#include "app/Theme.h"
#include "common/PageCapture.h"
#include "common/TestApp.h"
#include "controls/PlPrev.h"
#include "db/Query.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <algorithm>
#include <cmath>
#include <set>
#include <vector>

namespace {

using pagecap::TPage;
using pagecap::TText;

// Every recorded page, its texts joined into whole runs.
std::vector<TPage> capture(const TplPrev& prev)
{
    std::vector<TPage> pages = pagecap::capturePages(prev);
    for (TPage& page : pages)
        pagecap::joinRuns(page);
    return pages;
}

QString fullWidth(QChar c, int n) { return QString(n, c); }

// ---- the fixture: a patient with a summary ---------------------------------

class PrintTaiyouTest : public AppTest {
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        theme::registerFontSubstitutes();
        loginAs(QStringLiteral("dr1"));
        sql(R"(INSERT INTO "KLOV"."M_KA" ("KACD","KANM") VALUES (10,'内科');
               INSERT INTO "KLOV"."M_USER" ("USERID","USERNM") VALUES ('s1','外科　一郎'),('s2','外科　二郎'),('a1','助手　三郎');
               INSERT INTO "KLOV"."M_KANJA" ("ID","RNO","ACTKBN","DELKBN","KNJKANA","KNJNAME","SEX","BIRTH","POSTCD","ADR1","ADR2","TEL","KEITAI")
                 VALUES (1001,1,1,0,'やまだ　はなこ','山田　花子',1,'1975-04-01','123-4567','東京都千代田区','一丁目1番','','090-1111-2222');)");
    }

    void addSummary(int kno, int verno, const QString& tdte, const QString& extra = {})
    {
        sql(QStringLiteral(R"(INSERT INTO "KLOV"."D_TAIYOU" ("KNO","VERNO","ACTKBN","DELKBN","KACD","ID","NDTE","TDTE","NSYU","NYUCNT",
                "NYURIYU","SYUDR","TANDR1","TANDR2","WDR","SFLG","KFLG")
                VALUES (%1,%2,1,0,10,1001,'2024-01-05','%3',1,2,'胸痛','dr1','s1','s2','dr1',0,0);)")
                .arg(kno).arg(verno).arg(tdte));
        if (!extra.isEmpty())
            sql(extra);
    }
    void addAllergy(int rno, int hkbn, const QString& date, const QString& name, int delkbn = 0, int kafamy = 0)
    {
        sql(QStringLiteral(R"(INSERT INTO "KLOV"."M_ALLERGY" ("ID","RNO","HKBN","ADDDTE","ALLEHIN","HANNOU","HJIKI","KAFAMY","KAHOSP","DELKBN")
                VALUES (1001,%1,%2,'%3','%4','発疹','20190300',%6,0,%5))")
                .arg(rno).arg(hkbn).arg(date, name).arg(delkbn).arg(kafamy));
    }
    void addDevice(int rno, const QString& date, const QString& name)
    {
        sql(QStringLiteral(R"(INSERT INTO "KLOV"."M_DEVICE" ("ID","RNO","ADDDTE","DEVICE","COMM","DELKBN")
                VALUES (1001,%1,'%2','%3','',0))").arg(rno).arg(date, name));
    }
    void addDisease(int bno, const QString& name, int sno, const QString& sno1, const QString& sno2, int kno = 1)
    {
        sql(QStringLiteral(R"(INSERT INTO "KLOV"."D_KANBYO" ("ID","BNO","RNO","ADDDTE","BYONM","HJIKI","TENKI","DELKBN")
                VALUES (1001,%1,1,'2024-01-05','%2','20230000',1,0);
                INSERT INTO "KLOV"."D_TAIBYO" ("KNO","VERNO","BNO","SNO","SNO1","SNO2") VALUES (%6,1,%1,%3,'%4','%5');)")
                .arg(bno).arg(name).arg(sno).arg(sno1, sno2).arg(kno));
    }

    // Draws (kno, verno) and reads the pages back.
    std::vector<TPage> print(int kno, int verno, bool hosp = false, bool dtm = false)
    {
        QString error;
        EXPECT_TRUE(DrawTaiyou(prev, nullptr, kno, verno, hosp, dtm, &error));
        EXPECT_EQ(error, QString());
        return capture(prev);
    }

    TplPrev prev;
};

// ---- cases -------------------------------------------------------------------

TEST(SjisText, CapacityCutsAtCharacterBoundaries)
{
    EXPECT_EQ(sjis::byteLength(QStringLiteral("ABｱｲ漢字")), 8);
    EXPECT_EQ(sjis::cutToBytes(QStringLiteral("AB漢字"), 3), QStringLiteral("AB"));      // never half a character
    EXPECT_EQ(sjis::cutToBytes(QStringLiteral("AB漢字"), 4), QStringLiteral("AB漢"));
    EXPECT_EQ(sjis::cutToBytes(QStringLiteral("ｱｲｳ"), 2), QStringLiteral("ｱｲ"));
    EXPECT_EQ(sjis::cutToBytes(fullWidth(QChar(0x75C5), 150), 200), fullWidth(QChar(0x75C5), 100));
    const QString emoji = QStringLiteral("a\U0001F600b");   // not in the code page
    EXPECT_FALSE(sjis::cutToBytes(emoji, 2).endsWith(QChar(0xD83D)));
}

TEST_F(PrintTaiyouTest, MissingSummaryWarnsAndDrawsNothing)
{
    QString error;
    EXPECT_FALSE(DrawTaiyou(prev, nullptr, 99, 1, true, true, &error));
    EXPECT_EQ(boxes.texts(), QStringList{QStringLiteral("この患者IDは存在しません。")});
    EXPECT_EQ(boxes.boxes.first().caption, QStringLiteral("退院サマリー作成支援"));
    EXPECT_EQ(prev.RecordedPages(), 0);
}

TEST_F(PrintTaiyouTest, TitleAndPatientGrid)
{
    addSummary(1, 1, "2024-02-01");
    auto pages = print(1, 1);
    ASSERT_EQ(pages.size(), 1u);
    const TPage& p = pages[0];
    EXPECT_TRUE(p.has(QStringLiteral("退院時要約")));
    for (const char* s : {"山田　花子", "やまだ　はなこ", "1001", "(昭和50) 1975/4/1", "48 歳", "女", "東京都千代田区一丁目1番",
                          "090-1111-2222", "2024/1/5", "2024/2/1", "予定外", "2回目入院", "内科", "外科　一郎/外科　二郎",
                          "dr1先生", "1版(完成確認前)", "未"})
        EXPECT_TRUE(p.has(QString::fromUtf8(s))) << s;
    EXPECT_TRUE(p.has(QStringLiteral("〒123-4567")));
    EXPECT_EQ(p.find(QStringLiteral("〒123-4567"))[0].pos.x(), 745);
    // The name's cell, label cells grey, row lines of the grid.
    EXPECT_EQ(p.find(QStringLiteral("山田　花子"))[0].clip, QRectF(310, 250, 300, 43));
    for (int y : {293, 336, 379, 422})
        EXPECT_TRUE(p.hasHLine(y)) << y;
    EXPECT_TRUE(std::any_of(p.fills.begin(), p.fills.end(), [](const auto& f) {
        return f.first == QRectF(170, 250, 130, 43) && f.second == QColor(192, 192, 192);
    }));

    // Deleted and older versions say so in the title.
    sql(R"(UPDATE "KLOV"."D_TAIYOU" SET "DELKBN" = 1, "ACTKBN" = 0)");
    EXPECT_TRUE(print(1, 1)[0].has(QStringLiteral("退院時要約 【削除済】")));
    sql(R"(UPDATE "KLOV"."D_TAIYOU" SET "DELKBN" = 0, "ACTKBN" = 0)");
    EXPECT_TRUE(print(1, 1)[0].has(QStringLiteral("退院時要約 【旧version】")));
}

TEST_F(PrintTaiyouTest, AllergiesAndDevicesUpToTheDischargeDate)
{
    addAllergy(1, 1, "2024-01-10", "ペニシリン");
    addAllergy(2, 2, "2024-03-01", "造影剤");
    addAllergy(3, 1, "2024-01-11", "削除した薬", 1);
    addDevice(1, "2024-01-20", "ペースメーカー");
    addDevice(2, "2024-02-02", "人工関節");
    addSummary(1, 1, "1899-12-30");   // still in hospital
    addSummary(2, 1, "2024-02-01");

    TPage open = print(1, 1)[0];
    for (const char* s : {"ペニシリン", "造影剤", "ペースメーカー", "人工関節", "あり", "不詳", "医療従事者申告",
                          "医療従事者確認", "2019年3月頃"})
        EXPECT_TRUE(open.has(QString::fromUtf8(s))) << s;
    EXPECT_FALSE(open.has(QStringLiteral("削除した薬")));

    TPage discharged = print(2, 1)[0];
    EXPECT_TRUE(discharged.has(QStringLiteral("ペニシリン")));
    EXPECT_TRUE(discharged.has(QStringLiteral("ペースメーカー")));
    EXPECT_FALSE(discharged.has(QStringLiteral("造影剤")));
    EXPECT_FALSE(discharged.has(QStringLiteral("不詳")));
    EXPECT_FALSE(discharged.has(QStringLiteral("人工関節")));
}

TEST_F(PrintTaiyouTest, AllergyGroupsAndEarliestNone)
{
    addAllergy(1, 1, "2024-01-10", "ペニシリン", 0, 1);
    addSummary(1, 1, "2024-02-01");
    TPage p = print(1, 1)[0];
    // Heading row from 485, titles below it, the row from 571: its first
    // box is filled black (本人・家族申告), the second only outlined.
    EXPECT_EQ(p.find(QStringLiteral("アレルギー・不適応反応"))[0].clip, QRectF(170, 485, 390, 43));
    EXPECT_TRUE(p.has(QStringLiteral("食品・薬物等")));
    EXPECT_TRUE(std::any_of(p.fills.begin(), p.fills.end(), [](const auto& f) {
        return f.first == QRectF(1080, 582, 20, 21) && f.second == QColor(Qt::black);
    }));
    EXPECT_FALSE(std::any_of(p.fills.begin(), p.fills.end(),
                             [](const auto& f) { return f.first == QRectF(1320, 582, 20, 21); }));

    // An earlier "なし" entry: only the single row of none.
    addAllergy(2, 0, "2023-12-01", "");
    p = print(1, 1)[0];
    EXPECT_TRUE(p.has(QStringLiteral("なし")));
    EXPECT_TRUE(p.has(QStringLiteral("2023/12/1")));
    EXPECT_FALSE(p.has(QStringLiteral("あり")));
    EXPECT_FALSE(p.has(QStringLiteral("ペニシリン")));
    EXPECT_FALSE(p.has(QStringLiteral("食品・薬物等")));
}

TEST_F(PrintTaiyouTest, NumberedDiseasesInOrderAndLongNames)
{
    addSummary(1, 1, "2024-02-01");
    addDisease(1, QStringLiteral("高血圧症"), 2, "", "");
    addDisease(2, QStringLiteral("糖尿病"), 1, "2", "");
    addDisease(3, QStringLiteral("脂質異常症"), 1, "1", "");
    addDisease(4, QStringLiteral("番号なし病"), 0, "", "");
    const QString longName = fullWidth(QChar(0x75C5), 100) + fullWidth(QChar(0xFF38), 50);   // 病…Ｘ…
    addDisease(5, longName, 3, "", "");

    TQuery q(&dm().ADOCPOST);
    TPrtTaiyou prt(q);
    ASSERT_TRUE(prt.Load(1, 1));
    ASSERT_EQ(prt.aryByo.size(), 4u);
    QStringList order;
    for (const TrecByo& b : prt.aryByo)
        order << b.BYONM.left(5);
    EXPECT_EQ(order, (QStringList{QStringLiteral("脂質異常症"), QStringLiteral("糖尿病"), QStringLiteral("高血圧症"),
                                  fullWidth(QChar(0x75C5), 5)}));
    EXPECT_EQ(prt.aryByo[3].BYONM, fullWidth(QChar(0x75C5), 100));

    TPage p = print(1, 1)[0];
    EXPECT_FALSE(p.has(QStringLiteral("番号なし病")));
    EXPECT_TRUE(p.has(QStringLiteral("2023年頃")));
    EXPECT_TRUE(p.has(QStringLiteral("軽快")));
    const auto names = {p.find(QStringLiteral("脂質異常症")), p.find(QStringLiteral("糖尿病")),
                        p.find(QStringLiteral("高血圧症"))};
    double y = 0;
    for (const auto& n : names) {
        ASSERT_EQ(n.size(), 1u);
        EXPECT_GT(n[0].top, y);
        y = n[0].top;
    }
    // The long name at 6 points in three rows of 21 from the row's top;
    // only the first 100 characters were kept.
    const QString drawn = p.flowed(275, 708);
    EXPECT_TRUE(fullWidth(QChar(0x75C5), 100).startsWith(drawn));
    EXPECT_GE(drawn.size(), 50);
    EXPECT_FALSE(drawn.contains(QChar(0xFF38)));
    std::set<int> rowTops;
    for (const TText& t : p.texts)
        if (t.pos.x() >= 275 && t.right <= 708.5 && t.clip.width() >= 2000) {
            rowTops.insert(int(std::lround(t.top)));
            EXPECT_EQ(t.height, TplPrev::PointsToHeight(6));
        }
    ASSERT_EQ(rowTops.size(), 3u);
    EXPECT_EQ(*rowTops.rbegin() - *rowTops.begin(), 42);
}

TEST_F(PrintTaiyouTest, LongNarrativeContinuesAndEmptyOneIsAFrameOf43)
{
    QStringList paras;
    for (int i = 0; i < 120; ++i)
        paras << QStringLiteral("経過%1行目：症状は安定していた。").arg(i + 1);
    addSummary(1, 1, "2024-02-01",
               QStringLiteral(R"(UPDATE "KLOV"."D_TAIYOU" SET "NYUBEFKEIKA" = '%1', "NYUKEIKA" = '   ')")
                   .arg(paras.join(QLatin1Char('\n'))));
    auto pages = print(1, 1);
    ASSERT_GE(pages.size(), 2u);
    // Page 1: grid to 465, complaint 485–528, band 548–591, text from 596.
    const auto band = pages[0].find(QStringLiteral("入院までの経過（現病歴・既往歴・入院時現症,等）"));
    ASSERT_EQ(band.size(), 1u);
    EXPECT_EQ(band[0].clip, QRectF(180, 548, 1750, 43));
    const int top = 591;
    const int close = 2810 - ((2805 - top) % 32);
    EXPECT_TRUE(pages[0].hasHLine(close));
    EXPECT_FALSE(pages[0].hasPart(QStringLiteral("経過120行目")));
    // Page 2: a line at 180, the text goes on from 185; no title or grid.
    EXPECT_TRUE(pages[1].hasHLine(180));
    EXPECT_FALSE(pages[1].has(QStringLiteral("退院時要約")));
    EXPECT_FALSE(pages[1].has(QStringLiteral("氏名")));
    double first = 1e9;
    for (const TText& t : pages[1].texts)
        if (t.text.startsWith(QStringLiteral("経過")))
            first = std::min(first, t.top);
    EXPECT_NEAR(first, 185, 1);
    EXPECT_TRUE(pages[1].hasPart(QStringLiteral("経過120行目")));

    // The blank "入院経過" gives a band and an empty frame of 43 below it.
    const TPage& last = pages.back();
    const auto keika = last.find(QStringLiteral("入院経過"));
    ASSERT_EQ(keika.size(), 1u);
    const double bandBottom = keika[0].clip.bottom();
    EXPECT_TRUE(last.hasHLine(bandBottom + 43));
    EXPECT_FALSE(last.hasHLine(bandBottom + 42));
}

TEST_F(PrintTaiyouTest, OptionsPrintTimeAndHospitalFooter)
{
    sql(R"(INSERT INTO "KLOV"."M_HOSP" ("HOSPNM","POSTCD","HOSPADR","TEL","FAX")
           VALUES (' テスト病院 ','100-0001','東京都千代田区千代田1-1','03-0000-0000',''))");
    addSummary(1, 1, "2024-02-01");

    TPage none = print(1, 1, false, false)[0];
    EXPECT_FALSE(none.has(QStringLiteral("テスト病院")));
    EXPECT_FALSE(std::any_of(none.texts.begin(), none.texts.end(),
                             [](const TText& t) { return t.clip == QRectF(1000, 200, 930, 45); }));

    TPage both = print(1, 1, true, true)[0];
    const auto time = std::find_if(both.texts.begin(), both.texts.end(),
                                   [](const TText& t) { return t.clip == QRectF(1000, 200, 930, 45); });
    ASSERT_NE(time, both.texts.end());
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\d{4}/\\d\\d/\\d\\d \\d\\d:\\d\\d:\\d\\d$")).match(time->text).hasMatch());
    const auto name = both.find(QStringLiteral("テスト病院"));
    ASSERT_EQ(name.size(), 1u);
    EXPECT_EQ(name[0].clip, QRectF(170, 2800, 1760, 36));
    EXPECT_TRUE(both.has(QStringLiteral("〒100-0001 東京都千代田区千代田1-1  TEL:03-0000-0000")));
}

TEST_F(PrintTaiyouTest, OverlongAddressIsClippedAtItsCell)
{
    sql(QStringLiteral(R"(UPDATE "KLOV"."M_KANJA" SET "ADR1" = '%1', "ADR2" = '%2')")
            .arg(fullWidth(QChar(0x6771), 50), fullWidth(QChar(0x4EAC), 50)));
    addSummary(1, 1, "2024-02-01");
    const TPage p = print(1, 1)[0];
    const auto adr = p.find(fullWidth(QChar(0x6771), 50) + fullWidth(QChar(0x4EAC), 50));
    ASSERT_EQ(adr.size(), 1u);
    EXPECT_EQ(adr[0].height, TplPrev::PointsToHeight(6));
    EXPECT_EQ(adr[0].clip, QRectF(920, 293, 660, 43));
    EXPECT_GT(adr[0].right, 1580);   // wider than the cell: the box cuts it
}

TEST_F(PrintTaiyouTest, OperationsBetweenTheSecondAndThirdSection)
{
    addSummary(1, 1, "2024-02-01",
               R"(INSERT INTO "KLOV"."D_KANOPE" ("ID","ONO","RNO","OPEDTE","OPENM","KCODE","OPEDR1","OPEDR2","JYO1","DELKBN")
                  VALUES (1001,1,1,'2024-01-08','経皮的冠動脈形成術','K5461','s1','s2','a1',0);
                  INSERT INTO "KLOV"."D_TAIOPE" ("KNO","VERNO","ONO","RNO","DELKBN") VALUES (1,1,1,1,0);)");
    const TPage p = print(1, 1)[0];
    EXPECT_TRUE(p.has(QStringLiteral("外科　一郎 外科　二郎/助手　三郎")));
    EXPECT_TRUE(p.has(QStringLiteral("K5461")));
    EXPECT_TRUE(p.has(QStringLiteral("2024/1/8")));
    EXPECT_EQ(p.flowed(350, 860), QStringLiteral("経皮的冠動脈形成術"));
    const double keika = p.find(QStringLiteral("入院経過"))[0].top;
    const double ope = p.find(QStringLiteral("手術・手技"))[0].top;
    const double jokyo = p.find(QStringLiteral("退院時状況"))[0].top;
    EXPECT_LT(keika, ope);
    EXPECT_LT(ope, jokyo);
}

TEST_F(PrintTaiyouTest, PrintOpensThePreviewOrWarns)
{
    addSummary(1, 1, "2024-02-01");
    QString caption;
    whenModal(QStringLiteral("TplPrevForm"), [&](QWidget* w) {
        caption = w->windowTitle();
        w->close();
    });
    EXPECT_TRUE(PrintTaiyou(nullptr, 1, 1, true, false));
    EXPECT_EQ(caption, QStringLiteral("退院サマリー印刷"));
    EXPECT_TRUE(boxes.texts().isEmpty());

    EXPECT_FALSE(PrintTaiyou(nullptr, 1, 2, true, false));
    EXPECT_EQ(boxes.texts(), QStringList{QStringLiteral("この患者IDは存在しません。")});
}

class DemoPrintTest : public AppTest {
protected:
    TplPrev prev;
};

TEST_F(DemoPrintTest, FullSummaryToPngAndPdf)
{
    theme::registerFontSubstitutes();
    loadQarn();
    sql(testenv::sourceFile(QStringLiteral("db/demo.sql")));
    QTemporaryDir dir;
    const QString out = qEnvironmentVariable("KLOV_PRINT_PNG_DIR", dir.path());
    const QStringList blocks{QStringLiteral("アレルギー・不適応反応"), QStringLiteral("デバイス情報"),
                             QStringLiteral("病名"), QStringLiteral("主訴または入院理由"),
                             QStringLiteral("手術・手技"), QStringLiteral("退院時方針")};

    // Summary 5 as the demo has it: every block on one page.
    QString error;
    ASSERT_TRUE(DrawTaiyou(prev, nullptr, 5, 1, true, true, &error));
    EXPECT_EQ(error, QString());
    auto pages = capture(prev);
    ASSERT_EQ(pages.size(), 1u);
    for (const QString& s : blocks)
        EXPECT_TRUE(pages[0].has(s)) << s.toStdString();
    EXPECT_TRUE(pages[0].has(QStringLiteral("医療法人社団緑風会　さくら台中央病院")));
    const QImage img = prev.RenderPage(1, 1240);
    ASSERT_EQ(img.size(), QSize(1240, 1754));
    EXPECT_TRUE(img.save(out + QStringLiteral("/summary-page1.png")));

    // A longer course runs onto page 2 inside a continued frame.
    sql(R"(UPDATE "KLOV"."D_TAIYOU" SET "NYUKEIKA" = rtrim(repeat("NYUKEIKA" || E'\n', 9), E'\n') WHERE "KNO" = 5 AND "VERNO" = 1)");
    ASSERT_TRUE(DrawTaiyou(prev, nullptr, 5, 1, true, false, &error));
    pages = capture(prev);
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_TRUE(pages[1].hasHLine(180));
    EXPECT_TRUE(pages[1].has(QStringLiteral("手術・手技")));
    EXPECT_TRUE(pages[1].has(QStringLiteral("医療法人社団緑風会　さくら台中央病院")));
    for (int n = 1; n <= prev.RecordedPages(); ++n)
        EXPECT_TRUE(prev.RenderPage(n, 1240).save(QStringLiteral("%1/summary-long-page%2.png").arg(out).arg(n)));
    const QString pdf = out + QStringLiteral("/summary.pdf");
    ASSERT_TRUE(prev.SavePdf(pdf));
    QFile f(pdf);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QString data = QString::fromLatin1(f.readAll());
    EXPECT_TRUE(data.startsWith(QStringLiteral("%PDF-")));
    EXPECT_EQ(data.count(QRegularExpression(QStringLiteral("/Type\\s*/Page(?![s\\w])"))), 2);
}

} // namespace

// ---- block headings at the foot of a page ---------------------------------------

// One allergy and 46 devices end the first page at 2698, where the disease
// heading still begins but its first row would not.
TEST_F(PrintTaiyouTest, DiseaseHeadingStaysWithItsFirstRow)
{
    addSummary(1, 1, "2024-02-01");
    addAllergy(1, 1, "2024-01-05", QStringLiteral("卵"));
    for (int i = 1; i <= 46; ++i)
        addDevice(i, "2024-01-05", QStringLiteral("デバイス%1").arg(i));
    addDisease(1, QStringLiteral("急性心筋梗塞"), 1, "", "");
    const std::vector<TPage> pages = print(1, 1);
    ASSERT_GE(pages.size(), 2u);
    EXPECT_TRUE(pages[0].has(QStringLiteral("デバイス46")));
    for (const TPage& p : pages)
        EXPECT_EQ(p.has(QStringLiteral("病名")), p.has(QStringLiteral("急性心筋梗塞")));
}
