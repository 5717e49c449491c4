// Page recording: font sizes, drawing state, text placement, the flowed-text
// layout, page ranges, printing refusals and failures, the printable area
// and PDF output.

#include "controls/PlPrev.h"
#include "common/MsgRecorder.h"
#include "common/PageCapture.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPainter>
#include <QPrinter>
#include <QRegularExpression>
#include <QTemporaryDir>

namespace {

void registerFonts()
{
    QFont::insertSubstitution(QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("IPAPGothic"));
    QFont::insertSubstitution(QStringLiteral("ＭＳ Ｐ明朝"), QStringLiteral("IPAPMincho"));
}

// Bounding box of the dark pixels of an image inside a region.
QRect inkBox(const QImage& img, const QRect& region)
{
    QRect box;
    const QRect r = region.intersected(img.rect());
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            if (qGray(img.pixel(x, y)) < 128)
                box |= QRect(x, y, 1, 1);
    return box;
}

// Blank space between a character's advance edges and its ink, in page units.
double leftBearing(const TplPrev& prev, QChar c)
{
    return QFontMetricsF(prev.Font()).leftBearing(c);
}
double rightBearing(const TplPrev& prev, QChar c)
{
    return QFontMetricsF(prev.Font()).rightBearing(c);
}

// Pages and page sizes of a PDF written by Qt, read from the file itself.
struct TPdfInfo {
    int pages = 0;
    QStringList mediaBoxes;
};

TPdfInfo readPdf(const QString& fileName)
{
    QFile f(fileName);
    TPdfInfo info;
    if (!f.open(QIODevice::ReadOnly))
        return info;
    const QString data = QString::fromLatin1(f.readAll());
    info.pages = static_cast<int>(data.count(QRegularExpression(QStringLiteral("/Type\\s*/Page(?![s\\w])"))));
    auto it = QRegularExpression(QStringLiteral("/MediaBox\\s*\\[([^\\]]*)\\]")).globalMatch(data);
    while (it.hasNext())
        info.mediaBoxes << it.next().captured(1).simplified();
    return info;
}

class PlPrevTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        registerFonts();
        prev.FontName(QStringLiteral("ＭＳ Ｐ明朝"));
    }
    // A document of `pages` pages, each showing "Page n" at the top left.
    void recordPages(int pages)
    {
        prev.BeginDoc();
        for (int i = 1; i <= pages; ++i) {
            if (i > 1)
                prev.NewPage();
            prev.TextOutLT(200, 200, QStringLiteral("Page %1").arg(i));
        }
        prev.EndDoc();
    }
    TplPrev prev;
};

const QString kJapanese = QStringLiteral("本日は晴天なり。これは長い文章で、枠の幅を超えると次の行に折り返されます。");

} // namespace

TEST_F(PlPrevTest, FontSizesConvertToHeightsRoundedHalfAwayFromZero)
{
    prev.FontSize(10);
    EXPECT_EQ(prev.GetFontHeight(), 35);
    prev.FontSize(12);
    EXPECT_EQ(prev.GetFontHeight(), 42);
    EXPECT_EQ(TplPrev::PointsToHeight(10.5), 37);
    EXPECT_EQ(TplPrev::PointsToHeight(18), 64);   // 63.5 exactly
    EXPECT_EQ(TplPrev::PointsToHeight(-18), -64);
    prev.BeginDoc();                               // a new document starts at 10.5 points
    EXPECT_EQ(prev.GetFontHeight(), 37);
    prev.EndDoc();
}

TEST_F(PlPrevTest, DrawingStateCarriesOverNewPage)
{
    prev.BeginDoc();
    prev.FontSize(12);
    prev.FontColor(Qt::red);
    prev.PenWidth(3);
    prev.BrushColor(QColor(192, 192, 192));
    prev.NewPage();
    EXPECT_EQ(prev.GetFontHeight(), 42);
    EXPECT_EQ(prev.Pen().width(), 3);
    EXPECT_EQ(prev.Brush().style(), Qt::SolidPattern);
    EXPECT_EQ(prev.Brush().color(), QColor(192, 192, 192));
    EXPECT_EQ(prev.GetCanvas()->font().pixelSize(), 42);
    prev.EndDoc();
    EXPECT_EQ(prev.PageCount(), 2);
    EXPECT_EQ(prev.PageNumber(), 1);
    EXPECT_EQ(prev.FPrintToPage, 2);
    EXPECT_EQ(prev.GetCanvas(), nullptr);
}

TEST_F(PlPrevTest, DottedPenOfWidthOneBecomesThinnest)
{
    prev.PenWidth(1);
    prev.PenStyle(Qt::DotLine);
    EXPECT_EQ(prev.Pen().width(), 0);
    prev.PenWidth(2);
    EXPECT_EQ(prev.Pen().width(), 2);
    prev.LineWidth(1);
    prev.LineStyle(Qt::DashLine);
    EXPECT_EQ(prev.Pen().width(), 0);
    prev.PenStyle(Qt::SolidLine);
    EXPECT_EQ(prev.Pen().width(), 1);
}

TEST_F(PlPrevTest, DrawingOutsideARecordingIsIgnored)
{
    EXPECT_EQ(prev.DrawType(), dtNone);
    prev.Line(0, 100, 0, 100);
    prev.TextOutCC(100, 100, QStringLiteral("x"));
    QStringList lines{QStringLiteral("abc")};
    EXPECT_EQ(prev.StringListOut(lines, foJustify, 0, 1000, 50, 500, 40, 0), 90);
    prev.NewPage();
    prev.EndDoc();
    EXPECT_EQ(prev.RecordedPages(), 0);
}

TEST_F(PlPrevTest, TextOutCCCentresOnTheMiddleOfTheSheet)
{
    prev.BeginDoc();
    prev.FontSize(20);
    prev.TextOutCC(1050, 1485, QStringLiteral("■■■■"));
    prev.EndDoc();
    const QImage img = prev.RenderPage(1, 2100);  // one pixel per page unit
    ASSERT_EQ(img.height(), 2970);
    const QRect ink = inkBox(img, img.rect());
    ASSERT_FALSE(ink.isEmpty());
    EXPECT_NEAR(ink.center().x(), 1050, 4);
    EXPECT_NEAR(ink.center().y(), 1485, 8);
}

TEST_F(PlPrevTest, AnchorsAtRightAndBottom)
{
    prev.BeginDoc();
    prev.FontSize(20);
    prev.TextOutRB(1000, 1000, QStringLiteral("■■"));
    prev.EndDoc();
    const QImage img = prev.RenderPage(1, 2100);
    const QRect ink = inkBox(img, img.rect());
    EXPECT_NEAR(ink.right() + 1, 1000 - rightBearing(prev, QChar(0x25A0)), 2);
    EXPECT_LE(ink.bottom(), 1000);
    EXPECT_GT(ink.bottom(), 1000 - 25);
}

TEST_F(PlPrevTest, TextWiderThanATextRectBoxIsClipped)
{
    prev.BeginDoc();
    prev.FontSize(12);
    prev.TextRectLC(100, 300, 100, 160, QStringLiteral("■■■■■■■■■■■■■■■■"));
    prev.TextRectCCEx(100, 300, 300, 360, QStringLiteral("■■■■■■■■■■■■■■■■"));
    prev.EndDoc();
    const QImage img = prev.RenderPage(1, 2100);
    const QRect clipped = inkBox(img, QRect(0, 90, 2100, 80));
    EXPECT_NEAR(clipped.left(), 100 + leftBearing(prev, QChar(0x25A0)), 2);
    EXPECT_EQ(clipped.right(), 299);
    // The Ex form squeezes the text into the box instead.
    const QRect squeezed = inkBox(img, QRect(0, 290, 2100, 80));
    EXPECT_GE(squeezed.left(), 100);
    EXPECT_LE(squeezed.right(), 299);
    EXPECT_GT(squeezed.right(), 290);
}

// ---------------------------------------------------------------- flowed text

TEST_F(PlPrevTest, JustifiedRowsEndExactlyAtXr)
{
    prev.FontSize(10);
    const TTextRow row = prev.LayoutRow(kJapanese, foJustify, 180, 1000, 0);
    ASSERT_TRUE(row.brokenEarly);
    EXPECT_DOUBLE_EQ(row.right(), 1000.0);
    EXPECT_DOUBLE_EQ(row.x.front(), 180.0);
    // Without justification the same row stops short of the edge.
    const TTextRow plain = prev.LayoutRow(kJapanese, {}, 180, 1000, 0);
    EXPECT_LT(plain.right(), 1000.0);
    EXPECT_EQ(plain.consumed, row.consumed);

    // Drawn: every row but the last reaches the right edge.
    prev.BeginDoc();
    prev.FontSize(10);
    QStringList lines{QString(40, QChar(0x25A0))};
    const int rowW = prev.TextWidth(QString(QChar(0x25A0)));
    const int xr = 180 + rowW * 7 + rowW / 2;  // seven and a half squares per row
    prev.StringListOut(lines, foJustify, 180, xr, 600, 2000, 42, 0);
    prev.EndDoc();
    const QImage img = prev.RenderPage(1, 2100);
    const double rb = rightBearing(prev, QChar(0x25A0));
    EXPECT_NEAR(inkBox(img, QRect(0, 600, 2100, 40)).right() + 1, xr - rb, 2);
    EXPECT_NEAR(inkBox(img, QRect(0, 642, 2100, 40)).right() + 1, xr - rb, 2);
    EXPECT_LT(inkBox(img, QRect(0, 642 + 4 * 42, 2100, 40)).right() + 1, xr - rb - 50);  // last row
}

TEST_F(PlPrevTest, LastRowOfALineIsNotJustified)
{
    prev.FontSize(10);
    const TTextRow row = prev.LayoutRow(QStringLiteral("短い行"), foJustify, 180, 1000, 0);
    EXPECT_FALSE(row.brokenEarly);
    EXPECT_LT(row.right(), 500.0);
    const TTextRow right = prev.LayoutRow(QStringLiteral("短い行"), foRight, 180, 1000, 0);
    EXPECT_NEAR(right.right(), 1000.0, 1e-6);
    const TTextRow centre = prev.LayoutRow(QStringLiteral("短い行"), foCenter, 180, 1000, 0);
    EXPECT_NEAR(centre.x.front() - 180.0, 1000.0 - centre.right(), 1e-6);
    const TTextRow even = prev.LayoutRow(QStringLiteral("短い行"), foEven, 180, 1000, 0);
    EXPECT_NEAR(even.right(), 1000.0, 1e-6);
}

TEST_F(PlPrevTest, JapaneseFollowedByAnAsciiWordBreaksAfterTheJapanese)
{
    prev.FontSize(10);
    const QString text = QStringLiteral("あいうえおかきくけこHelloWorld");
    const int xr = 100 + prev.TextWidth(QStringLiteral("あいうえおかきくけこHello"));
    const TTextRow row = prev.LayoutRow(text, {}, 100, xr, 0);
    EXPECT_EQ(row.consumed, 10);
    EXPECT_EQ(row.chars.join(QString()), QStringLiteral("あいうえおかきくけこ"));
    const TTextRow next = prev.LayoutRow(text.mid(row.consumed), {}, 100, xr, 0);
    EXPECT_EQ(next.chars.join(QString()), QStringLiteral("HelloWorld"));
}

TEST_F(PlPrevTest, BlanksRunPastTheWidthAndAreNotDrawn)
{
    prev.FontSize(10);
    const int xr = 100 + prev.TextWidth(QStringLiteral("abc")) + 1;
    const TTextRow row = prev.LayoutRow(QStringLiteral("abc   def"), foJustify, 100, xr, 0);
    EXPECT_EQ(row.consumed, 6);
    EXPECT_EQ(row.chars.join(QString()), QStringLiteral("abc"));
    // A row with no break opportunity ends before the character that does not fit.
    const TTextRow word = prev.LayoutRow(QStringLiteral("abcdefgh"), {}, 100, xr, 0);
    EXPECT_EQ(word.consumed, 3);
    // A row always takes one character, however narrow the box.
    const TTextRow narrow = prev.LayoutRow(QStringLiteral("漢字"), {}, 100, 101, 0);
    EXPECT_EQ(narrow.consumed, 1);
}

TEST_F(PlPrevTest, KinsokuMovesOpeningAndPullsBackClosingCharacters)
{
    prev.FontSize(10);
    const int cw = prev.TextWidth(QStringLiteral("あ"));
    // "「" would end the row: it moves to the next one.
    const TTextRow open = prev.LayoutRow(QStringLiteral("あいう「えお」"), foJustify, 0, cw * 4, 1);
    EXPECT_EQ(open.chars.join(QString()), QStringLiteral("あいう"));
    EXPECT_EQ(open.consumed, 3);
    // "。" would begin the next row: it is pulled back and the row squeezed.
    const TTextRow close = prev.LayoutRow(QStringLiteral("あいうえ。お"), foJustify, 0, cw * 4, 1);
    EXPECT_EQ(close.chars.join(QString()), QStringLiteral("あいうえ。"));
    EXPECT_DOUBLE_EQ(close.right(), cw * 4.0);
    // Without kinsoku the plain break applies.
    const TTextRow none = prev.LayoutRow(QStringLiteral("あいうえ。お"), foJustify, 0, cw * 4, 0);
    EXPECT_EQ(none.chars.join(QString()), QStringLiteral("あいうえ"));
}

TEST_F(PlPrevTest, OverflowLeavesOnlyTheUnprintedPartInTheList)
{
    prev.BeginDoc();
    prev.FontSize(10);
    const QString line = kJapanese + kJapanese + kJapanese;
    QStringList lines{line, QStringLiteral("次の段落")};
    // Rows at 100, 142 and 184; a fourth would start below Yb = 190.
    const int y = prev.StringListOut(lines, foJustify, 180, 700, 100, 190, 42, 0);
    EXPECT_EQ(y, 100 + 3 * 42);
    ASSERT_EQ(lines.size(), 2);
    int consumed = 0;
    for (int i = 0; i < 3; ++i)
        consumed += prev.LayoutRow(line.mid(consumed), foJustify, 180, 700, 0).consumed;
    EXPECT_EQ(lines[0], line.mid(consumed));
    EXPECT_EQ(lines[1], QStringLiteral("次の段落"));
    // The caller goes on, on a new page, with the same list.
    prev.NewPage();
    const int y2 = prev.StringListOut(lines, foJustify, 180, 700, 200, 2800, 42, 0);
    EXPECT_TRUE(lines.isEmpty());
    EXPECT_GT(y2, 200);
    prev.EndDoc();
}

TEST_F(PlPrevTest, LongParagraphFlowsOverPagesWithEveryCharacterOnce)
{
    // 12,000 characters without blanks (none may be dropped at a break):
    // kana, kanji, half-width figures, a surrogate pair, characters the
    // line-breaking rules move, and a number that tells each sentence apart.
    QString text;
    for (int i = 0; text.size() < 12000; ++i)
        text += QStringLiteral("第%1病日、血圧128/76mmHg。「𠮷田」（ｶﾀｶﾅ）より説明した。").arg(i);
    text.truncate(12000);
    prev.BeginDoc();
    prev.FontSize(10);
    QStringList lines{text};
    while (true) {
        prev.StringListOut(lines, {}, 180, 1925, 185, 2805, 32, 1);
        if (lines.isEmpty())
            break;
        ASSERT_LT(prev.PageNumber(), 20);
        prev.NewPage();
    }
    prev.EndDoc();
    ASSERT_GE(prev.RecordedPages(), 3);
    QString drawn;
    for (const pagecap::TPage& page : pagecap::capturePages(prev))
        for (const pagecap::TText& t : page.texts)
            drawn += t.text;
    EXPECT_EQ(drawn.size(), text.size());
    EXPECT_TRUE(drawn == text);
}

TEST_F(PlPrevTest, RowWhoseTopIsExactlyAtYbIsDrawn)
{
    prev.BeginDoc();
    QStringList lines{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"), QStringLiteral("d")};
    EXPECT_EQ(prev.StringListOut(lines, foJustify, 100, 1000, 100, 184, 42, 0), 226);
    EXPECT_EQ(lines, QStringList{QStringLiteral("d")});
    QStringList lower{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")};
    EXPECT_EQ(prev.StringListOut(lower, foJustify, 100, 1000, 100, 183, 42, 0), 184);
    EXPECT_EQ(lower, QStringList{QStringLiteral("c")});
    prev.EndDoc();
}

TEST_F(PlPrevTest, EmptyListAndEmptyLines)
{
    prev.BeginDoc();
    QStringList none;
    EXPECT_EQ(prev.StringListOut(none, foJustify, 100, 1000, 300, 900, 40, 0), 300);
    QStringList blanks{QString(), QString(), QStringLiteral("x")};
    EXPECT_EQ(prev.StringListOut(blanks, foJustify, 100, 1000, 300, 900, 40, 0), 420);
    EXPECT_TRUE(blanks.isEmpty());
    prev.EndDoc();
}

// ---------------------------------------------------------------- printing and output

TEST(PlPrevRange, NormalisesOrderLimitsAndZeroes)
{
    EXPECT_EQ(TplPrev::NormalizeRange(12, 3, 10), std::make_pair(3, 10));
    EXPECT_EQ(TplPrev::NormalizeRange(0, 0, 10), std::make_pair(1, 10));
    EXPECT_EQ(TplPrev::NormalizeRange(-2, 5, 10), std::make_pair(1, 5));
    EXPECT_EQ(TplPrev::NormalizeRange(7, 7, 10), std::make_pair(7, 7));
    EXPECT_EQ(TplPrev::NormalizeRange(4, 2, 3), std::make_pair(2, 3));
}

TEST_F(PlPrevTest, TenPagesWithRange12To3PrintPages3To10)
{
    recordPages(10);
    prev.FPrintFromPage = 12;
    prev.FPrintToPage = 3;
    QTemporaryDir dir;
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(dir.filePath(QStringLiteral("range.pdf")));
    printer.setPageSize(QPageSize(QPageSize::A4));
    const TplPrev::TPrintResult printed = prev.PrintTo(printer);
    EXPECT_TRUE(printed.ok());
    EXPECT_EQ(printed.pages, (std::vector<int>{3, 4, 5, 6, 7, 8, 9, 10}));
    EXPECT_EQ(readPdf(dir.filePath(QStringLiteral("range.pdf"))).pages, 8);
    EXPECT_EQ(printer.docName(), QStringLiteral("印刷プレビュー"));
}

TEST_F(PlPrevTest, APrintThatCannotStartIsReportedAndNotCountedAsDone)
{
    recordPages(2);
    QTemporaryDir dir;
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(dir.filePath(QStringLiteral("missing/out.pdf")));  // begin fails
    const TplPrev::TPrintResult quiet = prev.PrintTo(printer);
    EXPECT_TRUE(quiet.pages.empty());
    EXPECT_EQ(quiet.asked, 2);
    EXPECT_EQ(quiet.error, QStringLiteral("プリンタを開けませんでした。"));

    MsgRecorder rec;
    EXPECT_FALSE(prev.Print(printer));
    ASSERT_EQ(rec.boxes.size(), 1);
    EXPECT_EQ(rec.boxes[0].kind, msg::TKind::Warning);
    EXPECT_EQ(rec.boxes[0].text, QStringLiteral("プリンタを開けませんでした。"));

    printer.setOutputFileName(dir.filePath(QStringLiteral("out.pdf")));
    EXPECT_TRUE(prev.Print(printer));
    EXPECT_EQ(rec.boxes.size(), 1);
}

TEST(PlSetPrinterGeometry, PrintableAreaIsTheSheetLessTheMinimumMargins)
{
    // Full-page mode, as printing uses it: the paint rect is the whole sheet,
    // yet the printer cannot reach its edges.
    QPageLayout layout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0),
                       QPageLayout::Millimeter, QMarginsF(4.2, 5.0, 3.35, 12.7));
    layout.setMode(QPageLayout::FullPageMode);
    TPaperGeometry g = TplSetPrinter::GeometryOf(layout, 600);
    EXPECT_NEAR(g.width, 2100, 2);
    EXPECT_NEAR(g.height, 2970, 2);
    // Left and top rounded up, right and bottom down.
    EXPECT_EQ(QRect(QPoint(g.printLeft, g.printTop), QPoint(g.printRight, g.printBottom)),
              QRect(QPoint(42, 50), QPoint(g.width - 34, g.height - 127)));

    // No minimum margins: the whole sheet.
    g = TplSetPrinter::GeometryOf(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, {}), 600);
    EXPECT_EQ(QRect(QPoint(g.printLeft, g.printTop), QPoint(g.printRight, g.printBottom)),
              QRect(QPoint(0, 0), QPoint(g.width, g.height)));
}

TEST_F(PlPrevTest, PrintingIsRefusedWithoutRecordingOrPrinter)
{
    if (!TplSetPrinter::InstalledPrinters().isEmpty())
        GTEST_SKIP() << "a printer is installed";
    MsgRecorder rec;
    EXPECT_FALSE(prev.Print());
    ASSERT_EQ(rec.boxes.size(), 1);
    EXPECT_EQ(rec.boxes[0].text, QStringLiteral("Canvasへの描画コードが見つかりません．　　"));
    EXPECT_EQ(rec.boxes[0].caption, QStringLiteral("印刷プレビュー制御コンポーネント"));
    recordPages(2);
    EXPECT_TRUE(prev.NoPrinter());
    EXPECT_FALSE(prev.Print());
    ASSERT_EQ(rec.boxes.size(), 2);
    EXPECT_EQ(rec.boxes[1].text, QStringLiteral("プリンタがインストールされていないので印刷できません．　　"));
    EXPECT_EQ(rec.boxes[1].caption, QStringLiteral(" 印刷"));
}

TEST_F(PlPrevTest, WithoutPrinterThePaperIsTheInternalA4)
{
    TplSetPrinter set;
    set.SetPrinterName(QStringLiteral("NO SUCH PRINTER"));
    set.GetPrinterInfo(false);
    set.SetPaperNumber(9);
    set.SetOrientation(poPortrait);
    set.CallSetting();
    prev.SetplSetPrinter(&set);
    if (!set.NoPrinter())
        GTEST_SKIP() << "a printer is installed";
    EXPECT_EQ(set.PrinterName(), QString());
    const TPaperGeometry& g = prev.Paper();
    EXPECT_EQ(g.width, 2100);
    EXPECT_EQ(g.height, 2970);
    EXPECT_EQ(g.paperName, QStringLiteral("A4"));
    set.SetOrientation(poLandscape);
    prev.SetplSetPrinter(&set);
    EXPECT_EQ(prev.Paper().width, 2970);
    EXPECT_EQ(prev.Paper().height, 2100);
    EXPECT_EQ(prev.DocTitle(), QStringLiteral("印刷プレビュー"));
    prev.FTitle.clear();
    EXPECT_TRUE(prev.DocTitle().endsWith(QStringLiteral("印刷")));
}

TEST_F(PlPrevTest, SavedPdfHasEveryPageAtA4)
{
    recordPages(3);
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("doc.pdf"));
    ASSERT_TRUE(prev.SavePdf(file));
    const TPdfInfo info = readPdf(file);
    EXPECT_EQ(info.pages, 3);
    ASSERT_EQ(info.mediaBoxes.size(), 3);
    for (const QString& box : info.mediaBoxes) {
        const QStringList v = box.split(QLatin1Char(' '));
        ASSERT_EQ(v.size(), 4);
        EXPECT_NEAR(v[2].toDouble(), 595.28, 0.5);  // 210 mm in points
        EXPECT_NEAR(v[3].toDouble(), 841.89, 0.5);  // 297 mm
    }
    EXPECT_FALSE(TplPrev().SavePdf(dir.filePath(QStringLiteral("empty.pdf"))));
}

TEST_F(PlPrevTest, RenderedPagesDifferPerPage)
{
    recordPages(2);
    const QImage p1 = prev.RenderPage(1, 600);
    const QImage p2 = prev.RenderPage(2, 600);
    ASSERT_FALSE(p1.isNull());
    EXPECT_EQ(p1.height(), 849);
    EXPECT_NE(p1, p2);
    EXPECT_TRUE(prev.RenderPage(3, 600).isNull());
}
