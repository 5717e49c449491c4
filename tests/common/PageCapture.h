#pragma once
// Reading back what a print page recorded: the page's picture is replayed
// into a device that keeps the texts (with their boxes and fonts), the lines
// and the filled rectangles, all in page units.

#include <QColor>
#include <QLineF>
#include <QPointF>
#include <QRectF>
#include <QString>
#include <QStringList>

#include <utility>
#include <vector>

class TplPrev;

namespace pagecap {

struct TText {
    QString text;
    QPointF pos;       // start of the baseline
    double top = 0;    // top of the line (baseline - ascent)
    double right = 0;
    int height = 0;    // font height in page units
    QRectF clip;       // the text box (or the printable area)
};

struct TPage {
    std::vector<TText> texts;
    // Lines and polygon sides as drawn, and the outlines of rectangles and
    // paths drawn with a pen.
    std::vector<QLineF> lines;
    // Every line and the closed outline of every shape, with or without a pen.
    std::vector<QLineF> edges;
    // Filled rectangles (the bounds of filled paths) with their brush colour.
    std::vector<std::pair<QRectF, QColor>> fills;

    // Texts equal to `s`.
    std::vector<TText> find(const QString& s) const;
    bool has(const QString& s) const { return !find(s).empty(); }
    // A text containing `s`.
    bool hasPart(const QString& s) const;
    // A line at y running exactly from x1 to x2.
    bool hasHLine(double y, double x1 = 170, double x2 = 1930) const;
    // Every text of the flowed rows inside the columns x1..x2, top to bottom.
    QString flowed(double x1, double x2) const;

    // Texts whose left edge lies in [x1, x2) and baseline in [y1, y2).
    std::vector<TText> textsIn(double x1, double x2, double y1 = 0, double y2 = 3000) const;
    QString joined(double x1, double x2, double y1 = 0, double y2 = 3000) const;
    // The texts of each baseline joined left to right (a text may come in
    // several runs when its characters come from different fonts).
    QStringList textLines() const;
    // One of textLines() contains `text`.
    bool hasText(const QString& text) const;
    // A horizontal edge at y covering at least x1..x2.
    bool hasRule(double y, double x1, double x2) const;
};

// Page `page` (from 1) of the recording, every text run as it was drawn.
TPage capturePage(const TplPrev& prev, int page);
// Every recorded page, as capturePage().
std::vector<TPage> capturePages(const TplPrev& prev);

// Saves the recorded pages as PNG (name-1.png …) when KLOV_TEST_PNG_DIR
// names a folder, for looking at what a test printed.
void savePng(const TplPrev& prev, const QString& name);

// Texts drawn piece by piece (one character at a time in flowed rows, or one
// script run at a time) are joined when they continue each other on a line.
void joinRuns(TPage& page);

} // namespace pagecap
