#pragma once
// The common parts of the patient-record prints (diseases, operations,
// allergies, devices): the printer preamble, the page head with the title,
// the print time and the patient box, the shrink-to-fit of one-line texts,
// column rules and the continuation page.

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

class QWidget;
class TplPrev;
class TplSetPrinter;

namespace prthead {

// Page layout shared by the lists, in tenths of a millimetre.
inline constexpr int kLeft = 170;
inline constexpr int kRight = 1930;
inline constexpr int kTableTop = 360;
inline constexpr int kContinueTop = 200;   // top of a continuation page
inline constexpr int kFlowBottom = 2800;   // wrapped lines go no lower
inline constexpr int kRowBreak = 2750;     // a row starting lower goes to the next page

// The patient's current row as the patient box prints it.
struct TPrtPatient {
    qint64 id = 0;
    QString kana;
    QString name;
    int sex = -1;
    QDate birth;
    QString postcd;
    QString adr;       // ADR1 + ADR2
    QString tel;       // TEL, or KEITAI when TEL is blank
};

// Reads the patient's current row; false when there is none.
bool readPatient(qint64 id, TPrtPatient& p);

// Default printer, A4 portrait, attached to the recorder; the document
// title set; recording begun with the font, pen and brush of the lists.
void beginDocument(TplPrev& prev, TplSetPrinter& setPrinter, const QString& title);

// Title (12 pt), print time and the patient box (y 250-336).
void drawHead(TplPrev& prev, const QString& heading, const TPrtPatient& p, const QDateTime& printedAt);

// Sets the largest font size from `fromPt` down to `minPt` (one point at a
// time) at which the text is at most maxWidth wide; returns it.
int fitFont(TplPrev& prev, const QString& text, int maxWidth, int fromPt = 10, int minPt = 6);

// A grey (silver) cell with its outline.
void greyCell(TplPrev& prev, int x1, int x2, int y1, int y2);
// Vertical rules at each x from y1 to y2.
void columnRules(TplPrev& prev, const std::vector<int>& xs, int y1, int y2);
// Closes a table row: the column rules from top to bottom and the rule
// across the table at bottom.
void closeRow(TplPrev& prev, const std::vector<int>& xs, int top, int bottom);
// Closes the page and opens the next with a rule across the table at y = 200;
// returns 200.
int continuationPage(TplPrev& prev);

// Records a list document of the patient. Refuses, with the reason shown,
// when the list has no rows (hasRows false) or the patient no current row;
// otherwise begins the document under `title`, lets `draw` put down the
// pages at the server's time and ends it. The caller shows the preview.
bool recordDocument(QWidget* parent, TplPrev& prev, TplSetPrinter& setPrinter, qint64 id, bool hasRows,
                    const QString& title, const std::function<void(const TPrtPatient&, const QDateTime&)>& draw);

// The text as wrapped-line input: one list entry per line of the text.
QStringList lines(const QString& text);

// "yyyy/m/d"; empty for an absent date.
QString shortDate(const QDate& d);

} // namespace prthead
