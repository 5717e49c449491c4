#include "controls/PlPrev.h"

#include "app/MsgBox.h"
#include "controls/PlPrevForm.h"

#include <QApplication>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QScreen>

#include <algorithm>
#include <cmath>
#include <optional>
#include <unordered_map>

namespace {

const QString kComponentCaption = QStringLiteral("印刷プレビュー制御コンポーネント");
const QString kNothingDrawn = QStringLiteral("Canvasへの描画コードが見つかりません．　　");
const QString kNoPrinter = QStringLiteral("プリンタがインストールされていないので印刷できません．　　");
const QString kModalTwice = QStringLiteral("表示中のフォームをモーダル表示で開くことはできません(矛盾)．　　");

// Default face of a new document; reports name their own.
const QString kDefaultFace = QStringLiteral("ＭＳ Ｐゴシック");

bool isBlank(char32_t c)
{
    return c == U' ' || c == U'\x3000';
}

// Characters that must not end a row (moved to the next one).
bool mustNotEnd(char32_t c)
{
    static const std::u32string set = U"([{\uFF62\uFF08\uFF3B\uFF5B\u300C";
    return set.find(c) != std::u32string::npos;
}

// Characters that must not begin a row (pulled back onto the previous one).
bool mustNotBegin(char32_t c)
{
    static const std::u32string set = U")]}.,\uFF63\uFF09\uFF3D\uFF5D\uFF0E\uFF0C\u300D\u3002\u3001";
    return set.find(c) != std::u32string::npos;
}

bool isDashed(Qt::PenStyle s)
{
    return s == Qt::DashLine || s == Qt::DotLine || s == Qt::DashDotLine || s == Qt::DashDotDotLine;
}

// The pen that goes into the recording. The thinnest dotted or dashed pen
// (width 0) is recorded as a one-unit pen whose pattern is spelled out in
// page units: a device-pixel pattern vanishes on a high-resolution printer
// and comes out solid in PDF.
QPen recordedPen(const QPen& pen)
{
    if (pen.width() != 0 || !isDashed(pen.style()))
        return pen;
    QPen thin(pen);
    thin.setWidth(1);
    thin.setCapStyle(Qt::FlatCap);
    QList<qreal> pattern = QPen(pen.style()).dashPattern();
    for (qreal& v : pattern)
        v *= 3.0;  // dots of 0.3 mm
    thin.setDashPattern(pattern);
    return thin;
}

// Japanese characters: each is shaped alone, whatever stands beside it.
bool shapesAlone(char32_t c)
{
    return (c >= 0x3000 && c <= 0x30FF) || (c >= 0x3400 && c <= 0x4DBF) || (c >= 0x4E00 && c <= 0x9FFF)
        || (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFF00 && c <= 0xFFEF) || (c >= 0x20000 && c <= 0x2FFFF);
}

char32_t codeOf(const QString& ch)
{
    return ch.size() > 1 && ch.at(0).isHighSurrogate() ? QChar::surrogateToUcs4(ch.at(0), ch.at(1))
                                                       : ch.at(0).unicode();
}

// Characters drawn one by one, never in a run with their neighbours: marks,
// controls and formats shape or expand with what stands beside them.
bool standsAlone(char32_t c)
{
    switch (QChar::category(c)) {
    case QChar::Mark_NonSpacing:
    case QChar::Mark_SpacingCombining:
    case QChar::Mark_Enclosing:
    case QChar::Other_Control:
    case QChar::Other_Format:
    case QChar::Other_Surrogate:
    case QChar::Other_NotAssigned:
    case QChar::Separator_Line:
    case QChar::Separator_Paragraph:
        return true;
    default:
        return false;
    }
}


// Sets the painter's override cursor for the life of a scope.
class TCursorGuard {
public:
    explicit TCursorGuard(Qt::CursorShape shape)
    {
        if (qobject_cast<QApplication*>(QCoreApplication::instance())) {
            QApplication::setOverrideCursor(QCursor(shape));
            FSet = true;
        }
    }
    ~TCursorGuard()
    {
        if (FSet)
            QApplication::restoreOverrideCursor();
    }
    TCursorGuard(const TCursorGuard&) = delete;
    TCursorGuard& operator=(const TCursorGuard&) = delete;

private:
    bool FSet = false;
};

} // namespace

TplPrev::TplPrev(QObject* parent)
    : QObject(parent)
{
    setObjectName(QStringLiteral("plPrev1"));
    FDefaultSetPrinter = new TplSetPrinter(this);
    FDefaultSetPrinter->setObjectName(QStringLiteral("plSetPrinterDefault"));
    FSetPrinter = FDefaultSetPrinter;
    FBtnOptions = TBtnOptions(boPrint | boFirst | boPrior | boNext | boLast | boZoomDown | boZoomUp | boWholePage
                              | boPageWidth | boHelp | boAbout | boPdf);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        FFormWidth = screen->geometry().width() * 2 / 3;
        FFormHeight = screen->geometry().height() * 2 / 3;
    } else {
        FFormWidth = 800;
        FFormHeight = 600;
    }
    refreshPaper();
    resetState();
}

TplPrev::~TplPrev()
{
    if (FCanvas)
        FCanvas->end();
    restoreCursor();
}

// ---------------------------------------------------------------- state

void TplPrev::SetPageNumber(int n)
{
    FPageNumber = std::clamp(n, 1, std::max(1, FPageCount));
}

const QPicture& TplPrev::Page(int n) const
{
    static const QPicture empty;
    if (n < 1 || n > RecordedPages())
        return empty;
    return FPages[static_cast<size_t>(n - 1)];
}

void TplPrev::SetplSetPrinter(TplSetPrinter* setPrinter)
{
    FSetPrinter = setPrinter ? setPrinter : FDefaultSetPrinter;
    refreshPaper();
}

TplSetPrinter* TplPrev::plSetPrinter() const
{
    return FSetPrinter ? FSetPrinter.data() : FDefaultSetPrinter;
}

void TplPrev::refreshPaper()
{
    const TplSetPrinter* sp = plSetPrinter();
    FPaper = sp->PaperGeometry();
    FNoPrinter = sp->NoPrinter();
}

QWidget* TplPrev::parentWidget() const
{
    return qobject_cast<QWidget*>(parent());
}

void TplPrev::setBusyCursor()
{
    if (FCursorSet || !qobject_cast<QApplication*>(QCoreApplication::instance()))
        return;
    QApplication::setOverrideCursor(QCursor(FCursor));
    FCursorSet = true;
}

void TplPrev::restoreCursor()
{
    if (!FCursorSet)
        return;
    QApplication::restoreOverrideCursor();
    FCursorSet = false;
}

int TplPrev::PointsToHeight(double points)
{
    return static_cast<int>(std::lround(points * 254.0 / 72.0));
}

void TplPrev::resetState()
{
    FState = TState();
    QFont f(kDefaultFace);
    f.setPixelSize(PointsToHeight(10.5));
    f.setKerning(false);
    f.setHintingPreference(QFont::PreferNoHinting);
    FState.font = f;
    FState.fontColor = Qt::black;
    FState.penWidth = 1;
    FState.pen = QPen(QBrush(Qt::black), 1, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    FState.brush = QBrush(Qt::NoBrush);
}

// ---------------------------------------------------------------- document

void TplPrev::BeginDoc()
{
    setBusyCursor();
    TplSetPrinter* sp = plSetPrinter();
    if (!sp->NoPrinter())
        sp->CallSetting();
    refreshPaper();
    FBtnOptions &= ~TBtnOptions(boPrinterSetup);
    if (FCanvas) {
        FCanvas->end();
        FCanvas.reset();
    }
    FPages.clear();
    FDrawType = dtCont;
    FPageCount = 1;
    FPageNumber = 1;
    FPrintFromPage = 1;
    FPenPos = QPoint();
    resetState();
    openPage();
}

void TplPrev::openPage()
{
    FCurPage = QPicture();
    FCanvas = std::make_unique<QPainter>(&FCurPage);
    if (FViewClip)
        FCanvas->setClipRect(QRect(FPaper.printLeft, FPaper.printTop, FPaper.printRight - FPaper.printLeft,
                                   FPaper.printBottom - FPaper.printTop));
    FCanvas->setFont(FState.font);
    FCanvas->setPen(recordedPen(FState.pen));
    FCanvas->setBrush(FState.brush);
    FCanvas->setBackgroundMode(Qt::TransparentMode);
}

void TplPrev::closePage()
{
    if (!FCanvas)
        return;
    FCanvas->end();
    FCanvas.reset();
    FCurPage.setBoundingRect(QRect(0, 0, FPaper.width, FPaper.height));
    FPages.push_back(FCurPage);
    FCurPage = QPicture();
}

void TplPrev::NewPage()
{
    if (FDrawType != dtCont || !FCanvas)
        return;
    closePage();
    ++FPageNumber;
    openPage();  // the remembered font, pen and brush carry over
}

void TplPrev::EndDoc()
{
    if (FDrawType != dtCont || !FCanvas)
        return;
    closePage();
    FPageCount = RecordedPages();
    FPageNumber = 1;
    FPrintToPage = FPageCount;
    restoreCursor();
}

void TplPrev::ShowModal()
{
    if (FShowing) {
        msg::warning(FForm, kModalTwice, kComponentCaption);
        return;
    }
    if (FCanvas)  // a document still being recorded is closed first
        EndDoc();
    restoreCursor();
    if (plSetPrinter()->PrinterName().contains(QStringLiteral("ACROBAT"), Qt::CaseInsensitive)) {
        Print();
        return;
    }
    FShowing = true;
    FPageNumber = 1;
    struct TReset {
        TplPrev* p;
        ~TReset()
        {
            p->FShowing = false;
            p->FForm = nullptr;
        }
    } reset{this};
    TplPrevForm form(this, parentWidget());
    FForm = &form;
    form.exec();
}

std::pair<int, int> TplPrev::NormalizeRange(int from, int to, int pageCount)
{
    int a = std::min(from, to);
    int b = std::max(from, to);
    a = std::min(a, pageCount);
    b = std::min(b, pageCount);
    if (a <= 0)
        a = 1;
    if (b <= 0)
        b = pageCount;
    return {a, b};
}

QString TplPrev::DocTitle() const
{
    if (!FTitle.isEmpty())
        return FTitle;
    QString app = QGuiApplication::applicationDisplayName();
    if (app.isEmpty())
        app = QCoreApplication::applicationName();
    return app + QStringLiteral("印刷");
}

bool TplPrev::Print()
{
    if (FPages.empty()) {
        msg::warning(parentWidget(), kNothingDrawn, kComponentCaption);
        return false;
    }
    refreshPaper();
    QPrinter* printer = plSetPrinter()->Printer();
    if (FNoPrinter || !printer) {
        msg::warning(parentWidget(), kNoPrinter, QStringLiteral(" 印刷"));
        return false;
    }
    return Print(*printer);
}

bool TplPrev::Print(QPrinter& printer)
{
    if (FPages.empty()) {
        msg::warning(parentWidget(), kNothingDrawn, kComponentCaption);
        return false;
    }
    const TPrintResult result = PrintTo(printer);
    if (!result.ok())
        msg::warning(FForm ? static_cast<QWidget*>(FForm) : parentWidget(), result.error);
    return result.ok();
}

TplPrev::TPrintResult TplPrev::PrintTo(QPrinter& printer)
{
    TPrintResult result;
    const auto [from, to] = NormalizeRange(FPrintFromPage, FPrintToPage, RecordedPages());
    if (from > to)
        return result;
    result.asked = to - from + 1;
    TCursorGuard cursor(FCursor);
    printer.setDocName(DocTitle());
    printer.setFullPage(true);
    QPainter painter;
    if (!painter.begin(&printer)) {
        result.error = kCannotOpenPrinter;
        return result;
    }
    auto printedSoFar = [&] {
        return QStringLiteral("（%1頁中%2頁を印刷しました）").arg(result.asked).arg(result.pages.size());
    };
    // Full-page mode: the printer's origin is the corner of the sheet, so
    // tenths of a millimetre map straight onto its pixels.
    const double res = printer.resolution();
    const QRectF sheet(0, 0, FPaper.width * res / 254.0, FPaper.height * res / 254.0);
    for (int page = from; page <= to; ++page) {
        if (page != from && !printer.newPage()) {
            result.error = QStringLiteral("印刷中にページを開始できませんでした。") + printedSoFar();
            break;
        }
        painter.save();
        if (FInversePrint) {
            painter.translate(sheet.width(), sheet.height());
            painter.rotate(180.0);
        }
        DrawPage(painter, page, sheet);
        painter.restore();
        result.pages.push_back(page);
    }
    const bool failed = printer.printerState() == QPrinter::Error || printer.printerState() == QPrinter::Aborted;
    const bool ended = painter.end();  // the job ends even when a page failed
    if (result.ok() && (failed || !ended))
        result.error = QStringLiteral("印刷を完了できませんでした。") + printedSoFar();
    if (result.ok() && printer.outputFormat() == QPrinter::PdfFormat && !printer.outputFileName().isEmpty()
        && !QFileInfo::exists(printer.outputFileName()))
        result.error = QStringLiteral("PDFファイルを保存できませんでした。");
    return result;
}

// ---------------------------------------------------------------- output

void TplPrev::DrawPage(QPainter& painter, int n, const QRectF& target) const
{
    if (n < 1 || n > RecordedPages() || FPaper.width <= 0 || FPaper.height <= 0)
        return;
    painter.save();
    painter.translate(target.topLeft());
    painter.scale(target.width() / FPaper.width, target.height() / FPaper.height);
    painter.setClipRect(QRectF(0, 0, FPaper.width, FPaper.height), Qt::IntersectClip);
    // Playing a recording scales it by the device's resolution relative to
    // the recording's own; page units are meant literally, so undo that.
    if (const QPaintDevice* dev = painter.device()) {
        static const QPicture reference;
        painter.scale(double(reference.logicalDpiX()) / dev->logicalDpiX(),
                      double(reference.logicalDpiY()) / dev->logicalDpiY());
    }
    painter.drawPicture(0, 0, FPages[static_cast<size_t>(n - 1)]);
    painter.restore();
}

QImage TplPrev::RenderPage(int n, int widthPx) const
{
    if (n < 1 || n > RecordedPages() || widthPx <= 0)
        return {};
    const int heightPx = static_cast<int>(std::lround(double(widthPx) * FPaper.height / FPaper.width));
    QImage img(widthPx, heightPx, QImage::Format_RGB32);
    img.fill(FPaperColor);
    QPainter p(&img);
    p.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing | QPainter::SmoothPixmapTransform);
    DrawPage(p, n, QRectF(0, 0, widthPx, heightPx));
    p.end();
    return img;
}

bool TplPrev::SavePdf(const QString& fileName) const
{
    if (FPages.empty() || fileName.isEmpty())
        return false;
    QPdfWriter writer(fileName);
    writer.setTitle(DocTitle());
    writer.setCreator(QStringLiteral("KLOV"));
    const QPageSize size(QSizeF(FPaper.width / 10.0, FPaper.height / 10.0), QPageSize::Millimeter, QString(),
                         QPageSize::FuzzyMatch);
    writer.setPageLayout(QPageLayout(size, QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
    writer.setResolution(1200);
    QPainter painter;
    if (!painter.begin(&writer))
        return false;
    const double res = writer.resolution();
    const QRectF sheet(0, 0, FPaper.width * res / 254.0, FPaper.height * res / 254.0);
    bool ok = true;
    for (int page = 1; page <= RecordedPages(); ++page) {
        if (page > 1 && !writer.newPage()) {
            ok = false;
            break;
        }
        DrawPage(painter, page, sheet);
    }
    // The writer reports no write errors of its own: the file must be there.
    return painter.end() && ok && QFileInfo(fileName).isFile() && QFileInfo(fileName).size() > 0;
}

// ---------------------------------------------------------------- font

void TplPrev::applyFontToCanvas()
{
    if (FCanvas)
        FCanvas->setFont(FState.font);
}

void TplPrev::FontName(const QString& name)
{
    FState.font.setFamilies({name});
    applyFontToCanvas();
}

void TplPrev::FontSize(double points)
{
    FontHeight(PointsToHeight(points));
}

void TplPrev::FontHeight(int height)
{
    FState.font.setPixelSize(std::max(1, std::abs(height)));
    applyFontToCanvas();
}

void TplPrev::FontColor(const QColor& color)
{
    FState.fontColor = color;
}

void TplPrev::FontStyle(TFontStyles styles)
{
    FState.font.setBold(styles.testFlag(fsBold));
    FState.font.setItalic(styles.testFlag(fsItalic));
    FState.font.setUnderline(styles.testFlag(fsUnderline));
    FState.font.setStrikeOut(styles.testFlag(fsStrikeOut));
    applyFontToCanvas();
}

void TplPrev::FontCharset(int)
{
    // Text is Unicode throughout; the face alone decides the glyphs.
}

void TplPrev::FontAssign(const QFont& font)
{
    QFont f(font);
    if (f.pixelSize() <= 0)
        f.setPixelSize(PointsToHeight(font.pointSizeF() > 0 ? font.pointSizeF() : 10.5));
    f.setKerning(false);
    f.setHintingPreference(QFont::PreferNoHinting);
    FState.font = f;
    applyFontToCanvas();
}

// ---------------------------------------------------------------- pen and brush

void TplPrev::applyPen()
{
    // A one-unit dotted or dashed line is drawn with the thinnest pen so that
    // its pattern shows.
    const int w = (FState.penWidth == 1 && isDashed(FState.pen.style())) ? 0 : FState.penWidth;
    FState.pen.setWidth(w);
}

void TplPrev::PenColor(const QColor& color)
{
    FState.pen.setColor(color);
}

void TplPrev::PenStyle(Qt::PenStyle style)
{
    FState.pen.setStyle(style);
    applyPen();
}

void TplPrev::PenWidth(int width)
{
    FState.penWidth = std::max(0, width);
    applyPen();
}

void TplPrev::BrushColor(const QColor& color)
{
    FState.brush.setColor(color);
    if (FState.brush.style() == Qt::NoBrush)
        FState.brush.setStyle(Qt::SolidPattern);
}

void TplPrev::BrushStyle(Qt::BrushStyle style)
{
    FState.brush.setStyle(style);
}

// ---------------------------------------------------------------- lines and shapes

void TplPrev::MoveTo(int x, int y)
{
    FPenPos = QPoint(x, y);
}

void TplPrev::LineTo(int x, int y)
{
    if (FCanvas) {
        FCanvas->setPen(recordedPen(FState.pen));
        FCanvas->drawLine(FPenPos, QPoint(x, y));
    }
    FPenPos = QPoint(x, y);
}

void TplPrev::Line(int x1, int x2, int y1, int y2)
{
    MoveTo(x1, y1);
    LineTo(x2, y2);
}

void TplPrev::Rectangle(int x1, int x2, int y1, int y2)
{
    if (!FCanvas)
        return;
    FCanvas->setPen(recordedPen(FState.pen));
    FCanvas->setBrush(FState.brush);
    FCanvas->drawRect(QRectF(QPointF(x1, y1), QPointF(x2, y2)).normalized());
}

void TplPrev::FillRect(int x1, int x2, int y1, int y2)
{
    if (!FCanvas || FState.brush.style() == Qt::NoBrush)
        return;
    FCanvas->fillRect(QRectF(QPointF(x1, y1), QPointF(x2, y2)).normalized(), FState.brush);
}

void TplPrev::RectLine(int x1, int x2, int y1, int y2)
{
    if (!FCanvas)
        return;
    FCanvas->setPen(recordedPen(FState.pen));
    const QPoint pts[5] = {{x1, y1}, {x2, y1}, {x2, y2}, {x1, y2}, {x1, y1}};
    FCanvas->drawPolyline(pts, 5);
}

void TplPrev::FrameRect(int x1, int x2, int y1, int y2)
{
    if (!FCanvas)
        return;
    FCanvas->setPen(recordedPen(FState.pen));
    FCanvas->setBrush(Qt::NoBrush);
    FCanvas->drawRect(QRectF(QPointF(x1, y1), QPointF(x2, y2)).normalized());
    FCanvas->setBrush(FState.brush);
}

void TplPrev::Circle(int x, int y, int d)
{
    Ellipse(x, y, d, d);
}

void TplPrev::Ellipse(int x, int y, int dx, int dy)
{
    if (!FCanvas)
        return;
    FCanvas->setPen(recordedPen(FState.pen));
    FCanvas->setBrush(Qt::NoBrush);
    FCanvas->drawEllipse(QPointF(x, y), dx / 2.0, dy / 2.0);
    FCanvas->setBrush(FState.brush);
}

// ---------------------------------------------------------------- text

double TplPrev::TextWidthF(const QString& text) const
{
    return QFontMetricsF(FState.font).horizontalAdvance(text);
}

int TplPrev::TextWidth(const QString& text) const
{
    return static_cast<int>(std::lround(TextWidthF(text)));
}

int TplPrev::TextHeight() const
{
    return static_cast<int>(std::lround(QFontMetricsF(FState.font).height()));
}

void TplPrev::drawTextAt(double left, double top, const QString& text)
{
    FCanvas->setPen(QPen(FState.fontColor));
    FCanvas->setFont(FState.font);
    FCanvas->drawText(QPointF(left, top + QFontMetricsF(FState.font).ascent()), text);
    FCanvas->setPen(recordedPen(FState.pen));
}

void TplPrev::textOutAnchored(int x, int y, const QString& text, int h, int v)
{
    if (!FCanvas || text.isEmpty())
        return;
    const int tw = TextWidth(text);
    const int th = TextHeight();
    const int left = h == 0 ? x : h == 1 ? x - (tw + 1) / 2 : x - tw;
    const int top = v == 0 ? y : v == 1 ? y - (th + 1) / 2 : y - th;
    drawTextAt(left, top, text);
}

void TplPrev::TextOutLT(int x, int y, const QString& t) { textOutAnchored(x, y, t, 0, 0); }
void TplPrev::TextOutCT(int x, int y, const QString& t) { textOutAnchored(x, y, t, 1, 0); }
void TplPrev::TextOutRT(int x, int y, const QString& t) { textOutAnchored(x, y, t, 2, 0); }
void TplPrev::TextOutLC(int x, int y, const QString& t) { textOutAnchored(x, y, t, 0, 1); }
void TplPrev::TextOutCC(int x, int y, const QString& t) { textOutAnchored(x, y, t, 1, 1); }
void TplPrev::TextOutRC(int x, int y, const QString& t) { textOutAnchored(x, y, t, 2, 1); }
void TplPrev::TextOutLB(int x, int y, const QString& t) { textOutAnchored(x, y, t, 0, 2); }
void TplPrev::TextOutCB(int x, int y, const QString& t) { textOutAnchored(x, y, t, 1, 2); }
void TplPrev::TextOutRB(int x, int y, const QString& t) { textOutAnchored(x, y, t, 2, 2); }

void TplPrev::textRect(int x1, int x2, int y1, int y2, const QString& text, int h, int v, bool squeeze)
{
    if (!FCanvas || text.isEmpty())
        return;
    const int bw = std::abs(x2 - x1);
    const int bh = std::abs(y2 - y1);
    const int tw = TextWidth(text);
    const int th = TextHeight();
    const int bx = std::min(x1, x2);
    const int by = std::min(y1, y2);
    const int top = v == 0 ? by : v == 1 ? by + (bh - th) / 2 : by + bh - th;
    FCanvas->save();
    FCanvas->setClipRect(QRect(bx, by, bw, bh), Qt::IntersectClip);
    if (squeeze && tw > bw && tw > 0) {
        // Too wide: squeezed horizontally to fill exactly the box width.
        FCanvas->translate(bx, 0);
        FCanvas->scale(double(bw) / TextWidthF(text), 1.0);
        drawTextAt(0, top, text);
    } else {
        const int left = h == 0 ? bx : h == 1 ? bx + (bw - tw) / 2 : bx + bw - tw;
        drawTextAt(left, top, text);
    }
    FCanvas->restore();
}

void TplPrev::TextRectLT(int x1, int x2, int y1, int y2, const QString& t) { textRect(x1, x2, y1, y2, t, 0, 0, false); }
void TplPrev::TextRectCT(int x1, int x2, int y1, int y2, const QString& t) { textRect(x1, x2, y1, y2, t, 1, 0, false); }
void TplPrev::TextRectRT(int x1, int x2, int y1, int y2, const QString& t) { textRect(x1, x2, y1, y2, t, 2, 0, false); }
void TplPrev::TextRectLC(int x1, int x2, int y1, int y2, const QString& t) { textRect(x1, x2, y1, y2, t, 0, 1, false); }
void TplPrev::TextRectCC(int x1, int x2, int y1, int y2, const QString& t) { textRect(x1, x2, y1, y2, t, 1, 1, false); }
void TplPrev::TextRectRC(int x1, int x2, int y1, int y2, const QString& t) { textRect(x1, x2, y1, y2, t, 2, 1, false); }
void TplPrev::TextRectLB(int x1, int x2, int y1, int y2, const QString& t) { textRect(x1, x2, y1, y2, t, 0, 2, false); }
void TplPrev::TextRectCB(int x1, int x2, int y1, int y2, const QString& t) { textRect(x1, x2, y1, y2, t, 1, 2, false); }
void TplPrev::TextRectRB(int x1, int x2, int y1, int y2, const QString& t) { textRect(x1, x2, y1, y2, t, 2, 2, false); }
void TplPrev::TextRectLCEx(int x1, int x2, int y1, int y2, const QString& t) { textRect(x1, x2, y1, y2, t, 0, 1, true); }
void TplPrev::TextRectCCEx(int x1, int x2, int y1, int y2, const QString& t) { textRect(x1, x2, y1, y2, t, 1, 1, true); }

// ---------------------------------------------------------------- flowed text

// A flowed line split into characters (a surrogate pair counting as one)
// and measured as far as its rows have been laid out, each character once:
// a long paragraph costs no more per row than a short one.
class TplPrev::TMeasuredLine {
public:
    TMeasuredLine(const TplPrev& prev, const QString& text)
        : FPrev(prev), FText(text), FMetrics(prev.FState.font)
    {
        if (prev.FWidthsFont != prev.FState.font) {
            prev.FWidths.clear();
            prev.FWidthsFont = prev.FState.font;
        }
    }
    // Character i exists (measuring up to it).
    bool has(int i)
    {
        while (static_cast<int>(FCode.size()) <= i && FScanned < FText.size())
            measureNext();
        return i < static_cast<int>(FCode.size());
    }
    // Of a character that has() been asked about:
    char32_t code(int i) const { return FCode[static_cast<size_t>(i)]; }
    double width(int i) const { return FWidth[static_cast<size_t>(i)]; }
    int length(int i) const { return FLength[static_cast<size_t>(i)]; }
    QString text(int i) const { return FText.mid(FOffset[static_cast<size_t>(i)], length(i)); }

private:
    void measureNext()
    {
        const int at = static_cast<int>(FScanned);
        int len = 1;
        char32_t c = FText.at(at).unicode();
        if (FText.at(at).isHighSurrogate() && at + 1 < FText.size() && FText.at(at + 1).isLowSurrogate()) {
            c = QChar::surrogateToUcs4(FText.at(at), FText.at(at + 1));
            len = 2;
        }
        const auto [known, fresh] = FPrev.FWidths.try_emplace(c, 0.0);
        if (fresh)
            known->second = FMetrics.horizontalAdvance(FText.mid(at, len));
        FCode.push_back(c);
        FOffset.push_back(at);
        FLength.push_back(len);
        FWidth.push_back(known->second);
        FScanned += len;
    }

    const TplPrev& FPrev;
    const QString FText;
    const QFontMetricsF FMetrics;
    qsizetype FScanned = 0;  // QChar units split so far
    std::vector<char32_t> FCode;
    std::vector<int> FOffset;  // QChar offset of each character
    std::vector<int> FLength;  // QChar units of each character
    std::vector<double> FWidth;  // advance of each character alone
};

TTextRow TplPrev::LayoutRow(const QString& text, TFormatOptions options, int xl, int xr, int kinsokuCnt) const
{
    TMeasuredLine line(*this, text);
    return layoutRow(line, 0, options, xl, xr, kinsokuCnt);
}

TTextRow TplPrev::layoutRow(TMeasuredLine& line, int from, TFormatOptions options, int xl, int xr,
                            int kinsokuCnt) const
{
    TTextRow row;
    // Indices below are relative to the row's first character.
    auto has = [&](int i) { return line.has(from + i); };
    if (!has(0))
        return row;
    auto code = [&](int i) { return line.code(from + i); };
    auto w = [&](int i) { return line.width(from + i); };
    auto text = [&](int i) { return line.text(from + i); };
    const double boxW = xr - xl;
    const double eps = 1e-6;

    // breakAfter[i]: the row may end after character i.
    auto breakAllowed = [&](int i, bool nonBlankBefore) {
        return i > 0 && nonBlankBefore && (isBlank(code(i)) || code(i) >= 0x100);
    };

    int end = 0;         // characters consumed by this row
    int lastBreak = -1;  // consumed count at the last break opportunity
    bool early = false;
    bool nonBlankBefore = false;
    double x = 0;
    for (int i = 0; has(i); ++i) {
        end = i + 1;
        const bool blank = isBlank(code(i));
        if (!blank && i > 0 && x + w(i) > boxW + eps) {
            end = lastBreak > 0 ? lastBreak : i;
            early = true;
            break;
        }
        x += w(i);
        if (breakAllowed(i, nonBlankBefore))
            lastBreak = i + 1;
        if (!blank)
            nonBlankBefore = true;
    }

    auto trimmedEnd = [&](int e) {
        while (e > 0 && isBlank(code(e - 1)))
            --e;
        return e;
    };

    // Japanese line-breaking rules at an early break.
    if (early && kinsokuCnt > 0) {
        int de = trimmedEnd(end);
        int moved = 0;
        while (moved < kinsokuCnt && de - moved > 1 && mustNotEnd(code(de - moved - 1)))
            ++moved;
        if (moved > 0) {
            end = de - moved;
        } else {
            int pulled = 0;
            while (pulled < kinsokuCnt && has(end + pulled) && mustNotBegin(code(end + pulled)))
                ++pulled;
            end += pulled;
            if (!has(end))
                early = false;
        }
    }

    const int drawn = trimmedEnd(end);
    row.consumed = 0;
    for (int i = 0; i < end; ++i)
        row.consumed += line.length(from + i);
    row.brokenEarly = early;
    if (drawn == 0)
        return row;

    // Natural positions, with kerning pairs between printable ASCII when asked.
    std::vector<double> pos(static_cast<size_t>(drawn));
    double natural = 0;
    std::optional<QFontMetricsF> kfm;
    if (options.testFlag(foKerning)) {
        QFont kernFont(FState.font);
        kernFont.setKerning(true);
        kfm.emplace(kernFont);
    }
    for (int i = 0; i < drawn; ++i) {
        if (kfm && i > 0 && code(i - 1) >= 33 && code(i - 1) <= 127
            && code(i) >= 33 && code(i) <= 127) {
            natural += kfm->horizontalAdvance(text(i - 1) + text(i)) - kfm->horizontalAdvance(text(i - 1))
                - kfm->horizontalAdvance(text(i));
        }
        pos[i] = natural;
        natural += w(i);
    }
    const double leftover = boxW - natural;

    // Gaps (after character i, i < drawn - 1) that take the leftover space.
    std::vector<int> gaps;
    const bool stretchAll = options.testFlag(foEven);
    const bool justify = stretchAll || (early && options.testFlag(foJustify)) || leftover < -eps;
    if (justify && drawn > 1) {
        if (!stretchAll) {
            bool seen = false;
            for (int i = 0; i < drawn - 1; ++i) {
                if (breakAllowed(i, seen))
                    gaps.push_back(i);
                if (!isBlank(code(i)))
                    seen = true;
            }
        }
        if (gaps.empty())
            for (int i = 0; i < drawn - 1; ++i)
                gaps.push_back(i);
    }

    double shift = 0;
    if (!gaps.empty()) {
        const double step = leftover / static_cast<double>(gaps.size());
        size_t g = 0;
        double add = 0;
        for (int i = 0; i < drawn; ++i) {
            pos[i] += add;
            if (g < gaps.size() && gaps[g] == i) {
                add += step;
                ++g;
            }
        }
    } else if (leftover > 0 && options.testFlag(foRight)) {
        shift = leftover;
    } else if (leftover > 0 && options.testFlag(foCenter)) {
        shift = leftover / 2.0;
    }

    for (int i = 0; i < drawn; ++i) {
        row.chars << text(i);
        row.x.push_back(xl + shift + pos[i]);
        row.w.push_back(w(i));
    }
    // Justified rows end exactly at the right edge, free of rounding drift.
    if (!gaps.empty())
        row.x.back() = xr - row.w.back();
    return row;
}

// Neighbouring characters of a row are drawn as one text where that cannot
// move or change a glyph: each sits where the one before it ends, the font
// draws no decoration per text, none of them stands alone, and every stretch
// of other than Japanese characters is as wide in one text as its characters
// are one by one (no ligature or contextual form).
void TplPrev::drawRow(const TTextRow& row, double top, const QFontMetricsF& fm)
{
    const QFont& f = FState.font;
    const bool joinable = !f.underline() && !f.strikeOut() && !f.overline();
    const double baseline = top + fm.ascent();
    const size_t n = row.x.size();
    std::vector<char32_t> code(n);
    for (size_t i = 0; i < n; ++i)
        code[i] = codeOf(row.chars[static_cast<qsizetype>(i)]);
    auto shapedAlike = [&](size_t from, size_t to) {
        for (size_t i = from; i < to;) {
            if (shapesAlone(code[i])) {
                ++i;
                continue;
            }
            size_t e = i;
            QString part;
            double sum = 0;
            for (; e < to && !shapesAlone(code[e]); ++e) {
                part += row.chars[static_cast<qsizetype>(e)];
                sum += row.w[e];
            }
            if (e - i > 1 && fm.horizontalAdvance(part) != sum)
                return false;
            i = e;
        }
        return true;
    };
    size_t i = 0;
    while (i < n) {
        size_t j = i + 1;
        double end = row.x[i] + row.w[i];
        if (joinable && !standsAlone(code[i]))
            for (; j < n && !standsAlone(code[j]) && row.x[j] == end; ++j)
                end += row.w[j];
        if (j - i > 1 && !shapedAlike(i, j))
            j = i + 1;
        QString run;
        for (size_t k = i; k < j; ++k)
            run += row.chars[static_cast<qsizetype>(k)];
        FCanvas->drawText(QPointF(row.x[i], baseline), run);
        i = j;
    }
}

int TplPrev::StringListOut(QStringList& lines, TFormatOptions options, int xl, int xr, int yt, int yb, int rowH,
                           int kinsokuCnt)
{
    if (lines.isEmpty())
        return yt;
    int rows = 0;
    auto overflow = [&] { return rows * rowH > yb - yt; };
    const QFontMetricsF fm(FState.font);
    if (FCanvas) {
        FCanvas->setPen(QPen(FState.fontColor));
        FCanvas->setFont(FState.font);
    }
    auto done = [&](int y) {
        if (FCanvas)
            FCanvas->setPen(recordedPen(FState.pen));
        return y;
    };
    while (!lines.isEmpty()) {
        const QString line = lines.first();
        if (line.isEmpty()) {
            if (overflow())
                return done(yt + rows * rowH);
            ++rows;
            lines.removeFirst();
            continue;
        }
        TMeasuredLine measured(*this, line);
        int pos = 0;   // QChar units
        int from = 0;  // characters
        while (pos < line.size()) {
            if (overflow()) {
                lines[0] = line.mid(pos);
                return done(yt + rows * rowH);
            }
            const TTextRow row = layoutRow(measured, from, options, xl, xr, kinsokuCnt);
            if (FCanvas)
                drawRow(row, yt + rows * rowH, fm);
            ++rows;
            const int step = std::max(1, row.consumed);
            for (int taken = 0; taken < step && measured.has(from); ++from)
                taken += measured.length(from);
            pos += step;
        }
        lines.removeFirst();
    }
    return done(yt + rows * rowH);
}
