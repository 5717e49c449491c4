#pragma once
// TplPrev: records a printed document page by page and shows, prints or
// saves it.
//
// Every page is a vector recording (QPicture) whose coordinates are tenths
// of a millimetre on the sheet, origin at the top-left corner of the paper
// (A4 portrait: 2100 x 2970). Box operations take both x values before both
// y values: Rectangle(X1, X2, Y1, Y2).
//
// Usage by a report:
//   TplSetPrinter set;                   // printer preamble, see PlSetPrinter.h
//   TplPrev prev;
//   prev.SetplSetPrinter(&set);
//   prev.FTitle = "アレルギー印刷";
//   prev.BeginDoc();
//   prev.FontName("ＭＳ Ｐ明朝"); prev.FontSize(10);
//   prev.TextRectLC(170, 600, 250, 293, "氏名");
//   ...  prev.NewPage(); ...
//   prev.EndDoc();
//   prev.ShowModal();                    // preview; printing from there
//
// Font sizes are points; the font height is points * 254 / 72 tenths of a
// millimetre rounded half away from zero (10 pt -> 35, 10.5 pt -> 37).
// Drawing state (font, colour, pen, brush) carries over NewPage.
//
// Besides the preview, RenderPage() draws any page into an image and
// SavePdf() writes the whole document as a vector PDF.

#include "controls/PlSetPrinter.h"

#include <QBrush>
#include <QColor>
#include <QCursor>
#include <QFlags>
#include <QFont>
#include <QImage>
#include <QObject>
#include <QPen>
#include <QPicture>
#include <QPointer>
#include <QStringList>

#include <memory>
#include <unordered_map>
#include <utility>
#include <vector>

class QFontMetricsF;
class QPainter;
class QPrinter;
class QPagedPaintDevice;
class QWidget;
class TplPrevForm;

enum TDrawType { dtNone, dtCont, dtStat };

// Told to the user when the printer cannot be opened for a print job.
inline const QString kCannotOpenPrinter = QStringLiteral("プリンタを開けませんでした。");
enum TZoomType { ztWholePage, ztPageWidth, ztOther };

// Options of StringListOut (foJustify is bit 0, so an options value of 1
// means [foJustify]).
enum TFormatOption {
    foJustify = 0x01,  // rows broken early end exactly at Xr
    foEven = 0x02,     // every row spread over all its characters
    foRight = 0x04,    // rows aligned right
    foCenter = 0x08,   // rows centred
    foKerning = 0x10,  // kerning pairs between ASCII 33..127
};
Q_DECLARE_FLAGS(TFormatOptions, TFormatOption)
Q_DECLARE_OPERATORS_FOR_FLAGS(TFormatOptions)

enum TFontStyle { fsBold = 0x01, fsItalic = 0x02, fsUnderline = 0x04, fsStrikeOut = 0x08 };
Q_DECLARE_FLAGS(TFontStyles, TFontStyle)
Q_DECLARE_OPERATORS_FOR_FLAGS(TFontStyles)

// Buttons of the preview's tool bar.
enum TBtnOption {
    boPrint = 0x0001,
    boPrinterSetup = 0x0002,
    boFirst = 0x0004,
    boPrior = 0x0008,
    boNext = 0x0010,
    boLast = 0x0020,
    boZoomDown = 0x0040,
    boZoomUp = 0x0080,
    boWholePage = 0x0100,
    boPageWidth = 0x0200,
    boHelp = 0x0400,
    boAbout = 0x0800,
    boClose = 0x1000,
    boPdf = 0x2000,
};
Q_DECLARE_FLAGS(TBtnOptions, TBtnOption)
Q_DECLARE_OPERATORS_FOR_FLAGS(TBtnOptions)

// One laid-out row of StringListOut: the characters drawn and the x of each
// (page units, fractional after justification), plus what the row consumed.
struct TTextRow {
    QStringList chars;        // characters drawn (a surrogate pair is one)
    std::vector<double> x;    // left edge of each drawn character
    std::vector<double> w;    // advance of each drawn character
    int consumed = 0;         // QChar units taken from the line
    bool brokenEarly = false; // more of the line follows on the next row
    double right() const { return x.empty() ? 0.0 : x.back() + w.back(); }
};

class TplPrev : public QObject {
    Q_OBJECT
public:
    explicit TplPrev(QObject* parent = nullptr);
    ~TplPrev() override;

    // ---- Settings (callers set these directly) ----
    QString FTitle = QStringLiteral("印刷プレビュー"); // spool title and preview caption
    int FPrintFromPage = 0;              // page range for Print()
    int FPrintToPage = 0;
    TZoomType FZoomtype = ztWholePage;   // preview zoom mode
    QColor FPaperColor = Qt::white;      // preview page background
    bool FViewClip = true;               // clip drawing to the printable area
    bool FInversePrint = false;          // print rotated by 180 degrees
    int FFormLeft = 20;                  // preview window geometry
    int FFormTop = 20;
    int FFormWidth = 0;                  // set to 2/3 of the screen on creation
    int FFormHeight = 0;
    bool FFormCanResize = true;
    bool FFormCanMove = true;
    bool FFormStatusBar = true;
    bool FFormIconBar = true;
    bool FImageVisible = true;           // page image shown
    bool FImageShade = true;             // drop shadow under the page
    bool FImageDrag = true;              // page can be dragged with the mouse
    Qt::CursorShape FCursor = Qt::WaitCursor; // while recording and printing
    TBtnOptions FBtnOptions;             // buttons of the preview tool bar
    QString FStatusBarText;              // second status panel of the preview

    // ---- State ----
    TDrawType DrawType() const { return FDrawType; }
    int PageCount() const { return FPageCount; }
    int PageNumber() const { return FPageNumber; }
    void SetPageNumber(int n);           // page shown by the preview (clamped)
    bool NoPrinter() const { return FNoPrinter; }
    const TPaperGeometry& Paper() const { return FPaper; }
    int RecordedPages() const { return static_cast<int>(FPages.size()); }
    const QPicture& Page(int n) const;   // 1-based recorded page

    // ---- Document ----
    // Attaches the printer settings (nullptr: the internal default ones)
    // and recomputes the paper geometry.
    void SetplSetPrinter(TplSetPrinter* setPrinter);
    TplSetPrinter* plSetPrinter() const;
    void BeginDoc();
    void NewPage();
    void EndDoc();
    // Shows the preview modally on page 1 (printer names containing
    // "ACROBAT" print at once). A second call while it is shown is refused
    // with a message. A document still being recorded is ended first.
    void ShowModal();
    bool PreviewShowing() const { return FShowing; }
    TplPrevForm* ActiveForm() const { return FForm; }
    // Prints pages FPrintFromPage..FPrintToPage on the attached printer.
    // Refused with a message when nothing was recorded or no printer exists.
    // True only when every page of the range went to the printer.
    bool Print();
    // As Print(), onto the given printer (a PDF-backed QPrinter included):
    // a failure is reported to the user with a warning.
    bool Print(QPrinter& printer);
    // Prints the range onto the given printer without any message: the
    // pages printed, in order, and what went wrong ("" when nothing did).
    struct TPrintResult {
        std::vector<int> pages;
        int asked = 0;     // pages in the range
        QString error;     // text for the user, "" on success
        bool ok() const { return error.isEmpty(); }
    };
    TPrintResult PrintTo(QPrinter& printer);
    // The range Print() uses: from/to ordered, limited to the page count,
    // 0 or less meaning the first resp. the last page.
    static std::pair<int, int> NormalizeRange(int from, int to, int pageCount);
    // Spool title: FTitle, or the application title + "印刷".
    QString DocTitle() const;

    // ---- Output for checks and archiving ----
    // Renders page n (1-based) into an image `widthPx` pixels wide.
    QImage RenderPage(int n, int widthPx) const;
    // Draws page n onto a painter, the sheet mapped onto `target`.
    void DrawPage(QPainter& painter, int n, const QRectF& target) const;
    // Writes every recorded page as a vector PDF of the paper's size.
    bool SavePdf(const QString& fileName) const;

    // ---- Canvas ----
    QPainter* GetCanvas() const { return FCanvas.get(); }

    void FontName(const QString& name);
    void FontSize(double points);
    void FontHeight(int height);
    void FontColor(const QColor& color);
    void FontStyle(TFontStyles styles);
    void FontCharset(int charset);   // kept for callers; Unicode fonts need none
    void FontAssign(const QFont& font);
    QFont Font() const { return FState.font; }
    int GetFontHeight() const { return FState.font.pixelSize(); }
    static int PointsToHeight(double points);

    void PenColor(const QColor& color);
    void LineColor(const QColor& color) { PenColor(color); }
    void PenStyle(Qt::PenStyle style);
    void LineStyle(Qt::PenStyle style) { PenStyle(style); }
    void PenWidth(int width);
    void LineWidth(int width) { PenWidth(width); }
    QPen Pen() const { return FState.pen; }
    void BrushColor(const QColor& color); // a clear brush becomes solid
    void BrushStyle(Qt::BrushStyle style);
    QBrush Brush() const { return FState.brush; }

    void MoveTo(int x, int y);
    void LineTo(int x, int y);
    void Line(int x1, int x2, int y1, int y2);
    void Rectangle(int x1, int x2, int y1, int y2);
    void FillRect(int x1, int x2, int y1, int y2);
    void RectLine(int x1, int x2, int y1, int y2);
    void FrameRect(int x1, int x2, int y1, int y2);
    void Circle(int x, int y, int d);           // d: diameter
    void Ellipse(int x, int y, int dx, int dy); // dx, dy: diameters

    // Width of a text in the current font, page units (tenths of a mm).
    int TextWidth(const QString& text) const;
    double TextWidthF(const QString& text) const;
    // Height of the sample "Hg" in the current font.
    int TextHeight() const;

    // One line anchored at (X, Y): L/C/R horizontally, T/C/B vertically.
    void TextOut(int x, int y, const QString& text) { TextOutLT(x, y, text); }
    void TextOutLT(int x, int y, const QString& text);
    void TextOutCT(int x, int y, const QString& text);
    void TextOutRT(int x, int y, const QString& text);
    void TextOutLC(int x, int y, const QString& text);
    void TextOutCC(int x, int y, const QString& text);
    void TextOutRC(int x, int y, const QString& text);
    void TextOutLB(int x, int y, const QString& text);
    void TextOutCB(int x, int y, const QString& text);
    void TextOutRB(int x, int y, const QString& text);

    // One line aligned inside the box, clipped at its edges.
    void TextRectLT(int x1, int x2, int y1, int y2, const QString& text);
    void TextRectCT(int x1, int x2, int y1, int y2, const QString& text);
    void TextRectRT(int x1, int x2, int y1, int y2, const QString& text);
    void TextRectLC(int x1, int x2, int y1, int y2, const QString& text);
    void TextRectCC(int x1, int x2, int y1, int y2, const QString& text);
    void TextRectRC(int x1, int x2, int y1, int y2, const QString& text);
    void TextRectLB(int x1, int x2, int y1, int y2, const QString& text);
    void TextRectCB(int x1, int x2, int y1, int y2, const QString& text);
    void TextRectRB(int x1, int x2, int y1, int y2, const QString& text);
    // As LC/CC; a text wider than the box is squeezed to its width.
    void TextRectLCEx(int x1, int x2, int y1, int y2, const QString& text);
    void TextRectCCEx(int x1, int x2, int y1, int y2, const QString& text);

    // Flows the lines into the box (Xl..Xr, Yt..Yb) with row pitch RowH.
    // Printed lines leave the list; on overflow the unprinted part of the
    // current line replaces it and the caller continues on a new page.
    // Returns the y below the last printed row (Yt for an empty list).
    int StringListOut(QStringList& lines, TFormatOptions options, int xl, int xr, int yt, int yb,
                      int rowH, int kinsokuCnt);
    // The row layout StringListOut uses for the start of `text` (exposed for
    // callers that need to measure a flow).
    TTextRow LayoutRow(const QString& text, TFormatOptions options, int xl, int xr, int kinsokuCnt) const;

private:
    struct TState {
        QFont font;
        QColor fontColor = Qt::black;
        QPen pen;
        int penWidth = 1;      // width as requested (before the dotted rule)
        QBrush brush;
    };

    void resetState();
    void openPage();
    void closePage();
    void applyPen();
    void applyFontToCanvas();
    void drawTextAt(double left, double top, const QString& text);
    void textOutAnchored(int x, int y, const QString& text, int h, int v);
    void textRect(int x1, int x2, int y1, int y2, const QString& text, int h, int v, bool squeeze);
    class TMeasuredLine;
    TTextRow layoutRow(TMeasuredLine& line, int from, TFormatOptions options, int xl, int xr,
                       int kinsokuCnt) const;
    void drawRow(const TTextRow& row, double top, const QFontMetricsF& fm);
    void refreshPaper();
    QWidget* parentWidget() const;
    void setBusyCursor();
    void restoreCursor();

    TDrawType FDrawType = dtNone;
    int FPageCount = 1;
    int FPageNumber = 1;
    bool FNoPrinter = true;
    bool FShowing = false;
    bool FCursorSet = false;
    QPoint FPenPos;
    TPaperGeometry FPaper;
    TState FState;
    std::vector<QPicture> FPages;
    QPicture FCurPage;
    std::unique_ptr<QPainter> FCanvas;
    // Advances of single characters in FWidthsFont, kept while the font is.
    mutable QFont FWidthsFont;
    mutable std::unordered_map<char32_t, double> FWidths;
    TplSetPrinter* FDefaultSetPrinter = nullptr;  // child, used when none attached
    QPointer<TplSetPrinter> FSetPrinter;
    TplPrevForm* FForm = nullptr;
};
