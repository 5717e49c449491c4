#pragma once
// The printed discharge summary ("退院時要約"): reads one summary version with
// its patient, the hospital, and the patient's allergies, devices, diseases
// and operations, and draws the A4 document onto a TplPrev.
//
// Positions are tenths of a millimetre on the sheet (A4 portrait 2100 x 2970);
// every text is set in "ＭＳ Ｐ明朝".

#include "patient/PrintKit.h"

#include <QDate>
#include <QString>
#include <QStringList>
#include <initializer_list>
#include <vector>

class QWidget;
class TplPrev;
class TQuery;

// ---- Print records ---------------------------------------------------------

using prtkit::TrecAlle;
using prtkit::TrecDevi;
using prtkit::TrecOpe;

struct TrecByo {         // disease listed under a "#" number
    int BNO = 0;
    int SNO = 0;
    QString SNO1;        // 4
    QString SNO2;        // 4
    QString BYONM;       // 200
    int DISTKBN = 0;
    QString ICD102013;   // 5
    QString HJIKI;       // 8
    QDate ADDDTE;
    int TENKI = 0;
    QString BIKO;        // 255
};

// Values of the summary row held for the drawing.
struct TTaiyouHead {
    qint64 ID = 0;
    int KNO = 0;
    QString KNJNAME, KNJKANA, POSTCD, ADR, TEL;
    int SEX = -1;
    QDate BIRTH, NDTE, TDTE, VERDTE;   // TDTE invalid when not discharged
    int AGE = -1;
    int NSYU = -1, NYUCNT = 0, VERNO = 0;
    QString KANM, SYUDRNM, TANDR1NM, TANDR2NM, TANDR3NM, WDRNM, SUSERNM;
    int KACD = 0;        // 0 when no department is set
    QString WDR;         // the writing doctor's user ID
    int WFLG = 0, SFLG = 0, KFLG = 0, DELKBN = 0, ACTKBN = 1;
    QString NYURIYU, NYUBEFKEIKA, NYUKEIKA, TAIJOUHO, TAIYAKU, TAIHOU;
};

struct THospInfo {
    bool exists = false;   // M_HOSP has its row
    qint64 HOSPNO = 0;     // 0 when not set
    QString HOSPNM, POSTCD, HOSPADR, TEL, FAX;
};

// ---- The print routine -----------------------------------------------------

class TPrtTaiyou {
public:
    // Statements run on `query` (bound to the shared connection).
    explicit TPrtTaiyou(TQuery& query);

    // Runs the six statements for (kno, verno). False when the summary row
    // does not exist; the block arrays are then empty. Errors of the first
    // two statements propagate; a failing block statement leaves its array
    // empty, unless `blocksMustLoad` (a document that must hold everything),
    // when its error propagates too.
    bool Load(int kno, int verno, bool blocksMustLoad = false);

    // Draws the whole document: BeginDoc … EndDoc on `prev`. An error while
    // drawing ends the recording (what was drawn stays) and is rethrown.
    // `printTime` is the text of the output time, "yyyy/mm/dd hh:nn:ss".
    void Draw(TplPrev& prev, bool prnHosp, bool prnDtm, const QString& printTime);

    THospInfo hosp;
    TTaiyouHead head;
    std::vector<TrecAlle> aryAlle;
    std::vector<TrecDevi> aryDevi;
    std::vector<TrecByo> aryByo;
    std::vector<TrecOpe> aryOpe;

private:
    void loadHosp();
    bool loadHead(int kno, int verno);
    void loadAllergies();
    void loadDevices();
    void loadDiseases(int kno, int verno);
    void loadOperations(int kno, int verno);

    void drawTitle(const QString& printTime, bool prnDtm);
    void drawPatientGrid();
    void drawDiseases();
    void drawComplaint();
    void drawSection(const QString& title, const QString& text);
    void drawOperations();
    void drawFooter();

    // Drawing helpers.
    void font(double points);
    void fit(int width, const QString& text, double start = 10, double minimum = 6);
    void label(int x1, int x2, int y1, int y2, const QString& text, double points = 9);
    // One line in its box at the current size, set smaller (down to 6 points)
    // when it would not fit the box's width; the size is set back afterwards.
    void rectLT(int x1, int x2, int y1, int y2, const QString& text);
    void rectLC(int x1, int x2, int y1, int y2, const QString& text);
    void rectCC(int x1, int x2, int y1, int y2, const QString& text);
    void rectRB(int x1, int x2, int y1, int y2, const QString& text);
    void pageCheck(int limit);

    // Runs one block statement under the rule of Load; `rows` is left
    // empty when it fails.
    template <class Rows, class Read> void loadBlock(Rows& rows, Read read);

    TQuery& FQuery;
    bool FBlocksMustLoad = false;
    TplPrev* FPrev = nullptr;
    int FY = 0;            // current y on the page being drawn
    double FSize = 10;     // font size chosen for the cells being drawn
};

// Reads (kno, verno) and draws it into `prev` without showing it. False when
// the summary does not exist ("この患者IDは存在しません。" shown, nothing
// drawn). A drawing error ends the recording and is returned in `error`
// (the warning text of the exception); the pages drawn until then remain.
bool DrawTaiyou(TplPrev& prev, QWidget* parent, int kno, int verno, bool prnHosp, bool prnDtm,
                QString* error = nullptr);

// The print of the main window: printer preamble, draw, then the preview
// modally (printing happens from there). A drawing error shows the preview of
// what was drawn and then the error. False when nothing was shown.
bool PrintTaiyou(QWidget* parent, int kno, int verno, bool prnHosp, bool prnDtm);
