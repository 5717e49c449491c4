#pragma once
// The pieces every print is made of: the printer preamble, the page head
// with the title, the print time and the patient box, shrink-to-fit texts,
// grey labels, column rules, table rows that flow over pages (with the rule
// where a row may begin), the allergy and device tables, and the one way a
// stored text becomes the lines of a flow.
//
// Positions are tenths of a millimetre on an A4 portrait sheet.

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

class QWidget;
class TQuery;
class TplPrev;
class TplSetPrinter;

namespace prtkit {

inline constexpr int kLeft = 170;
inline constexpr int kRight = 1930;
inline constexpr int kTableTop = 360;
inline constexpr int kContinueTop = 200;   // top of a continuation page
inline constexpr int kFlowBottom = 2800;   // wrapped lines go no lower
inline constexpr int kRowBreak = 2750;     // a row starting lower goes to the next page

// ---- records printed by more than one document ------------------------------

struct TrecAlle {        // allergy
    int HKBN = 0;        // 0 none, 1 present, 2 unknown
    QDate ADDDTE;
    QString ALLEHIN;     // 128 bytes
    QString HANNOU;      // 128
    QString HJIKI;       // 8
    int KAFAMY = 0;
    int KAHOSP = 0;
    QString COMM;        // 200
};

struct TrecDevi {        // device
    QDate ADDDTE;
    QString DEVICE;      // 200
    QString COMM;        // 200
};

struct TrecOpe {         // operation; texts already cut to their byte capacity
    QDate OPEDTE;
    QString OPENM;
    QString KCODE;
    QString OPEDR1NM;
    QString OPEDR2NM;
    QString JYO1NM;
    QString JYO2NM;
    QString COMM;
};

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

// The patient's live allergy and device entries by registration date (the
// entries of one day in the order they were registered), texts cut to the
// byte capacity of their record; with a valid `until` only those registered
// on or before it. Database errors propagate.
std::vector<TrecAlle> readAllergies(TQuery& q, qint64 id, const QDate& until = {});
std::vector<TrecDevi> readDevices(TQuery& q, qint64 id, const QDate& until = {});

// ---- document ---------------------------------------------------------------

// The default printer, A4 portrait.
void selectA4Portrait(TplSetPrinter& setPrinter);
// The drawing state a document starts with: Mincho 10 pt, a black pen of
// width 1, no brush.
void drawingDefaults(TplPrev& prev);
// selectA4Portrait, the settings attached to the recorder, the document
// title set, recording begun with drawingDefaults.
void beginDocument(TplPrev& prev, TplSetPrinter& setPrinter, const QString& title);

// Records a list document of the patient. Refuses, with the reason shown,
// when the list has no rows (hasRows false) or the patient no current row;
// otherwise begins the document under `title`, lets `draw` put down the
// pages at the server's time and ends it. The caller shows the preview.
bool recordDocument(QWidget* parent, TplPrev& prev, TplSetPrinter& setPrinter, qint64 id, bool hasRows,
                    const QString& title, const std::function<void(const TPrtPatient&, const QDateTime&)>& draw);

// ---- texts ------------------------------------------------------------------

// The text as the lines of a flow: one entry per line, the line breaks
// \r\n, \r and \n alike. A break at the very end closes the last line and
// opens none; an empty text has no lines.
QStringList lines(const QString& text);

// "yyyy/m/d"; empty for an absent date.
QString shortDate(const QDate& d);

// Sets the largest font size from `fromPt` down to `minPt` (one point at a
// time) at which the text is at most maxWidth wide; returns it.
int fitFont(TplPrev& prev, const QString& text, int maxWidth, int fromPt = 10, int minPt = 6);

using TTextRect = void (TplPrev::*)(int, int, int, int, const QString&);
// One line in its box at `points`, set smaller (down to 6 points) when it
// would not fit the box's width; the font is at `points` again afterwards.
void fitted(TplPrev& prev, TTextRect draw, int x1, int x2, int y1, int y2, const QString& text, double points);

// The font size of a disease name in its 433 wide cell: 10 down to 7 while
// wider than the cell; 6 means the name is written as wrapped lines.
inline constexpr int kDiseaseNameWidth = 433;
int diseaseNameSize(TplPrev& prev, const QString& name);

// ---- cells and rules --------------------------------------------------------

// A grey (silver) cell with its outline.
void greyCell(TplPrev& prev, int x1, int x2, int y1, int y2);
// A grey fill without outline, the text centred on it at `points`.
void label(TplPrev& prev, int x1, int x2, int y1, int y2, const QString& text, double points);
// Vertical rules at each x from y1 to y2.
void columnRules(TplPrev& prev, const std::vector<int>& xs, int y1, int y2);
// Closes a table row: the column rules from top to bottom and the rule
// across the table at bottom.
void closeRow(TplPrev& prev, const std::vector<int>& xs, int top, int bottom);
// Closes the page and opens the next with a rule across the table at y = 200;
// returns 200.
int continuationPage(TplPrev& prev);
// Where a table row begins: y, or the top of a continuation page when y is
// past the foot of the sheet.
int rowStart(TplPrev& prev, int y);
// Where a block heading `height` high begins so that the block's first row
// (starting below it) stays on the same page.
int headingStart(TplPrev& prev, int y, int height);

// ---- flowing rows -----------------------------------------------------------

// A column of flowed text inside a table row.
struct TFlow {
    QStringList lines;
    int xl;
    int xr;
    double points;
};

// Flows the columns of one table row from rowTop + 5 in rows of 32 down to
// kFlowBottom. When a column does not fit, the row's part on this page is
// closed and every column goes on together below the rule of a continuation
// page. Draws the column rules and the bottom rule; the row is at least
// minBottom (on its first page) resp. minHeight (on later pages) deep.
// Returns the row's bottom.
int flowRow(TplPrev& prev, std::vector<TFlow>& flows, int rowTop, int minBottom, int minHeight,
            const std::vector<int>& columns);

// A framed block of flowed text that may run over pages: the frame's sides
// at left and right, the text rows `rowHeight` apart in xl..xr from `pad`
// below the frame's top, no row starting below textBottom.
struct TFrameFlow {
    int left = kLeft;
    int right = kRight;
    int xl = kLeft + 10;
    int xr = kRight - 10;
    int pad = 5;
    int textBottom = kFlowBottom;
    int rowHeight = 32;
    bool justify = true;
};
// Flows the lines from the frame's top. A page the text leaves is closed
// with the sides and a rule at kFlowBottom; the next opens with a rule across
// the frame at kContinueTop, which becomes `top`. Returns the y below the
// last row; the caller closes the frame on its last page (closeFrame).
int flowFrame(TplPrev& prev, QStringList& lines, int& top, const TFrameFlow& frame);
// The frame's sides from top to bottom and the rule across it at bottom.
void closeFrame(TplPrev& prev, const TFrameFlow& frame, int top, int bottom);

// ---- page parts -------------------------------------------------------------

// The texts of the two-row patient box (y top .. top + 86).
struct TPatientBox {
    QString name, kana, id, birth, age, sex;
    QString post;      // written at the top of the address cell; empty: none
    QString adr, tel;
};
// Framed: every label a grey cell with its outline at 10 pt, the box
// outlined with its middle rule. Otherwise the labels are grey fills at 9 pt
// with the column rules of each row, and the caller draws the box's rules.
void patientBox(TplPrev& prev, const TPatientBox& box, int top, bool framed);
TPatientBox patientBoxOf(const TPrtPatient& p, const QDate& ageAt);

// Title (12 pt), print time and the framed patient box (y 250-336).
void drawHead(TplPrev& prev, const QString& heading, const TPrtPatient& p, const QDateTime& printedAt);

// The allergy table from y + 20: a first entry saying "none" alone, else
// the present and the unknown group, each with its heading kept with its
// first row. Nothing for no entries. Returns the y below it.
int allergyTable(TplPrev& prev, int y, const std::vector<TrecAlle>& rows);
// The device table from y + 20; nothing for no entries. Returns the y below.
int deviceTable(TplPrev& prev, int y, const std::vector<TrecDevi>& rows);

} // namespace prtkit

// The name the patient lists were written against.
namespace prthead = prtkit;
