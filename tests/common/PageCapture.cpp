#include "common/PageCapture.h"

#include "controls/PlPrev.h"

#include <QFontMetricsF>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPicture>
#include <QPolygonF>
#include <QTextItem>

#include <algorithm>
#include <climits>
#include <cmath>
#include <map>

namespace pagecap {

namespace {

class TCaptureEngine : public QPaintEngine {
public:
    TCaptureEngine() : QPaintEngine(QPaintEngine::AllFeatures) {}
    TPage* page = nullptr;

    bool begin(QPaintDevice*) override { return true; }
    bool end() override { return true; }
    Type type() const override { return QPaintEngine::User; }
    void updateState(const QPaintEngineState& st) override
    {
        if (st.state() & QPaintEngine::DirtyBrush)
            brush = st.brush();
        if (st.state() & QPaintEngine::DirtyPen)
            pen = st.pen();
    }
    void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
    void drawTextItem(const QPointF& p, const QTextItem& item) override
    {
        const QTransform t = painter()->combinedTransform();
        TText x;
        x.text = item.text();
        x.pos = t.map(p);
        x.right = x.pos.x() + item.width() * t.m11();
        x.top = x.pos.y() - QFontMetricsF(item.font()).ascent();
        x.height = item.font().pixelSize();
        x.clip = painter()->hasClipping() ? t.mapRect(painter()->clipBoundingRect()) : QRectF();
        page->texts.push_back(x);
    }
    void drawLines(const QLineF* l, int n) override
    {
        const QTransform t = painter()->combinedTransform();
        for (int i = 0; i < n; ++i) {
            page->lines.push_back(t.map(l[i]));
            page->edges.push_back(t.map(l[i]));
        }
    }
    void drawLines(const QLine* l, int n) override
    {
        for (int i = 0; i < n; ++i) {
            const QLineF f(l[i]);
            drawLines(&f, 1);
        }
    }
    void drawPolygon(const QPointF* pts, int n, PolygonDrawMode) override
    {
        const QPolygonF poly = painter()->combinedTransform().map(QPolygonF(QList<QPointF>(pts, pts + n)));
        for (qsizetype i = 0; i + 1 < poly.size(); ++i)
            page->lines.emplace_back(poly[i], poly[i + 1]);
        addOutline(poly);
    }
    void drawPolygon(const QPoint* pts, int n, PolygonDrawMode mode) override
    {
        QList<QPointF> f;
        for (int i = 0; i < n; ++i)
            f << QPointF(pts[i]);
        drawPolygon(f.constData(), n, mode);
    }
    void drawRects(const QRectF* rects, int n) override
    {
        const QTransform t = painter()->combinedTransform();
        for (int i = 0; i < n; ++i) {
            const QRectF r = t.mapRect(rects[i]);
            if (brush.style() != Qt::NoBrush)
                page->fills.emplace_back(r, brush.color());
            if (pen.style() != Qt::NoPen) {
                page->lines.emplace_back(r.topLeft(), r.topRight());
                page->lines.emplace_back(r.topRight(), r.bottomRight());
                page->lines.emplace_back(r.bottomRight(), r.bottomLeft());
                page->lines.emplace_back(r.bottomLeft(), r.topLeft());
            }
            addOutline(t.map(QPolygonF(rects[i])));
        }
    }
    void drawRects(const QRect* rects, int n) override
    {
        for (int i = 0; i < n; ++i) {
            const QRectF r(rects[i]);
            drawRects(&r, 1);
        }
    }
    void drawPath(const QPainterPath& path) override
    {
        const QTransform t = painter()->combinedTransform();
        if (brush.style() != Qt::NoBrush)
            page->fills.emplace_back(t.mapRect(path.boundingRect()), brush.color());
        for (const QPolygonF& poly : path.toSubpathPolygons(t)) {
            if (pen.style() != Qt::NoPen)
                for (qsizetype i = 0; i + 1 < poly.size(); ++i)
                    page->lines.emplace_back(poly[i], poly[i + 1]);
            addOutline(poly);
        }
    }

private:
    // The sides of a shape, closed.
    void addOutline(const QPolygonF& p)
    {
        for (qsizetype k = 0; k + 1 < p.size(); ++k)
            page->edges.emplace_back(p[k], p[k + 1]);
        if (p.size() > 2 && p.first() != p.last())
            page->edges.emplace_back(p.last(), p.first());
    }

    QBrush brush;
    QPen pen;
};

// A device with the recording's own resolution, so that replaying keeps the
// page units as they were drawn.
class TCaptureDevice : public QPaintDevice {
public:
    mutable TCaptureEngine engine;
    QPaintEngine* paintEngine() const override { return &engine; }

protected:
    int metric(PaintDeviceMetric m) const override
    {
        static const QPicture reference;
        switch (m) {
        case PdmWidth: return 2100;
        case PdmHeight: return 2970;
        case PdmWidthMM: return 210;
        case PdmHeightMM: return 297;
        case PdmDpiX:
        case PdmPhysicalDpiX: return reference.logicalDpiX();
        case PdmDpiY:
        case PdmPhysicalDpiY: return reference.logicalDpiY();
        case PdmDepth: return 32;
        case PdmNumColors: return INT_MAX;
        case PdmDevicePixelRatio: return 1;
        case PdmDevicePixelRatioScaled: return int(devicePixelRatioFScale());
        default: return 0;
        }
    }
};

} // namespace

std::vector<TText> TPage::find(const QString& s) const
{
    std::vector<TText> out;
    for (const TText& t : texts)
        if (t.text == s)
            out.push_back(t);
    return out;
}

bool TPage::hasPart(const QString& s) const
{
    return std::any_of(texts.begin(), texts.end(), [&](const TText& t) { return t.text.contains(s); });
}

bool TPage::hasHLine(double y, double x1, double x2) const
{
    return std::any_of(lines.begin(), lines.end(), [&](const QLineF& l) {
        return std::abs(l.y1() - y) < 0.5 && std::abs(l.y2() - y) < 0.5
            && std::abs(std::min(l.x1(), l.x2()) - x1) < 0.5 && std::abs(std::max(l.x1(), l.x2()) - x2) < 0.5;
    });
}

QString TPage::flowed(double x1, double x2) const
{
    // The flowed rows are clipped to the page, not to a cell.
    QString s;
    for (const TText& t : texts)
        if (t.pos.x() >= x1 - 0.5 && t.right <= x2 + 0.5 && t.clip.width() >= 2000)
            s += t.text;
    return s;
}

std::vector<TText> TPage::textsIn(double x1, double x2, double y1, double y2) const
{
    std::vector<TText> out;
    for (const auto& t : texts)
        if (t.pos.x() >= x1 && t.pos.x() < x2 && t.pos.y() >= y1 && t.pos.y() < y2)
            out.push_back(t);
    return out;
}

QString TPage::joined(double x1, double x2, double y1, double y2) const
{
    QString s;
    for (const auto& t : textsIn(x1, x2, y1, y2))
        s += t.text;
    return s;
}

QStringList TPage::textLines() const
{
    // Runs of one line differ in their baselines by a few units.
    std::map<int, std::vector<TText>> byLine;
    for (const auto& t : texts) {
        int key = qRound(t.pos.y());
        for (const auto& [y, items] : byLine)
            if (qAbs(y - t.pos.y()) <= 4)
                key = y;
        byLine[key].push_back(t);
    }
    QStringList out;
    for (auto& [y, items] : byLine) {
        std::sort(items.begin(), items.end(), [](auto& a, auto& b) { return a.pos.x() < b.pos.x(); });
        QString line;
        for (const auto& t : items)
            line += t.text;
        out << line;
    }
    return out;
}

bool TPage::hasText(const QString& text) const
{
    const QStringList all = textLines();
    return std::any_of(all.begin(), all.end(), [&](const QString& l) { return l.contains(text); });
}

bool TPage::hasRule(double y, double x1, double x2) const
{
    return std::any_of(edges.begin(), edges.end(), [&](const QLineF& l) {
        return qAbs(l.y1() - y) < 0.5 && qAbs(l.y2() - y) < 0.5 && qMin(l.x1(), l.x2()) <= x1 + 0.5
               && qMax(l.x1(), l.x2()) >= x2 - 0.5;
    });
}

TPage capturePage(const TplPrev& prev, int page)
{
    TPage out;
    TCaptureDevice dev;
    dev.engine.page = &out;
    QPainter p(&dev);
    p.drawPicture(0, 0, prev.Page(page));
    p.end();
    return out;
}

std::vector<TPage> capturePages(const TplPrev& prev)
{
    std::vector<TPage> pages;
    for (int n = 1; n <= prev.RecordedPages(); ++n)
        pages.push_back(capturePage(prev, n));
    return pages;
}

void joinRuns(TPage& page)
{
    std::vector<TText> out;
    for (const TText& t : page.texts) {
        if (!out.empty()) {
            TText& last = out.back();
            if (std::abs(last.top - t.top) < 0.5 && last.clip == t.clip && t.pos.x() >= last.right - 0.5
                && t.pos.x() - last.right < 25 && last.height == t.height) {
                last.text += t.text;
                last.right = t.right;
                continue;
            }
        }
        out.push_back(t);
    }
    page.texts = std::move(out);
}

void savePng(const TplPrev& prev, const QString& name)
{
    const QString dir = qEnvironmentVariable("KLOV_TEST_PNG_DIR");
    if (dir.isEmpty())
        return;
    for (int n = 1; n <= prev.RecordedPages(); ++n)
        prev.RenderPage(n, 1050).save(QStringLiteral("%1/%2-%3.png").arg(dir, name).arg(n));
}

} // namespace pagecap
