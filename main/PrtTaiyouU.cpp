#include "main/PrtTaiyouU.h"

#include "app/CommonU.h"
#include "app/Globals.h"
#include "app/MsgBox.h"
#include "app/SjisText.h"
#include "app/Theme.h"
#include "app/UntDM.h"
#include "controls/EraText.h"
#include "controls/PlPrev.h"
#include "controls/PlSetPrinter.h"
#include "db/Errors.h"
#include "db/Query.h"
#include "db/Records.h"
#include "patient/PrintKit.h"


#include <QColor>
#include <algorithm>
#include <memory>



// ---------------------------------------------------------------- helpers

namespace {

using namespace prtkit;

constexpr int kPageCheck = 2700;    // a block or section does not start below this

QString str(const TQuery& q, const char* name, int capacity)
{
    const TField f = q.field(QString::fromLatin1(name));
    return f.isNull() ? QString() : sjis::cutToBytes(f.asString(), capacity);
}

int num(const TQuery& q, const char* name)
{
    const TField f = q.field(QString::fromLatin1(name));
    return f.isNull() ? 0 : f.asInteger();
}

QString text(const TQuery& q, const char* name)
{
    const TField f = q.field(QString::fromLatin1(name));
    return f.isNull() ? QString() : f.asString();
}

} // namespace

// ---------------------------------------------------------------- reading

TPrtTaiyou::TPrtTaiyou(TQuery& query) : FQuery(query) {}

bool TPrtTaiyou::Load(int kno, int verno, bool blocksMustLoad)
{
    FBlocksMustLoad = blocksMustLoad;
    hosp = {};
    head = {};
    aryAlle.clear();
    aryDevi.clear();
    aryByo.clear();
    aryOpe.clear();
    loadHosp();
    if (!loadHead(kno, verno))
        return false;
    loadAllergies();
    loadDevices();
    loadDiseases(kno, verno);
    loadOperations(kno, verno);
    return true;
}

void TPrtTaiyou::loadHosp()
{
    FQuery.setSql(R"(SELECT * FROM "KLOV"."M_HOSP")");
    FQuery.open();
    if (!FQuery.eof()) {
        hosp.exists = true;
        hosp.HOSPNO = FQuery.field(QStringLiteral("HOSPNO")).isNull() ? 0 : FQuery.field(QStringLiteral("HOSPNO")).asInt64();
        hosp.HOSPNM = text(FQuery, "HOSPNM").trimmed();
        hosp.POSTCD = text(FQuery, "POSTCD").trimmed();
        hosp.HOSPADR = text(FQuery, "HOSPADR").trimmed();
        hosp.TEL = text(FQuery, "TEL").trimmed();
        hosp.FAX = text(FQuery, "FAX").trimmed();
    }
    FQuery.close();
}

bool TPrtTaiyou::loadHead(int kno, int verno)
{
    // The patient's columns are named one by one: the summary's own ID,
    // DELKBN, ACTKBN and audit columns must not be shadowed by the patient's.
    FQuery.setSql(R"(SELECT D.*, Z."KNJKANA", Z."KNJNAME", Z."SEX", Z."BIRTH", Z."POSTCD", Z."ADR1",
       Z."ADR2", Z."TEL", Z."KEITAI", K."KANM", S."USERNM" AS "SUSERNM", WD."USERNM" AS "WDRNM",
       SD."USERNM" AS "SYUDRNM", T1."USERNM" AS "TANDR1NM", T2."USERNM" AS "TANDR2NM",
       T3."USERNM" AS "TANDR3NM"
  FROM "KLOV"."D_TAIYOU" D
  LEFT JOIN "KLOV"."M_KANJA" Z ON D."ID" = Z."ID" AND Z."ACTKBN" = 1 AND Z."DELKBN" = 0
  LEFT JOIN "KLOV"."M_KA" K ON D."KACD" = K."KACD"
  LEFT JOIN "KLOV"."M_USER" S ON D."SUSERID" = S."USERID"
  LEFT JOIN "KLOV"."M_USER" WD ON D."WDR" = WD."USERID"
  LEFT JOIN "KLOV"."M_USER" SD ON D."SYUDR" = SD."USERID"
  LEFT JOIN "KLOV"."M_USER" T1 ON D."TANDR1" = T1."USERID"
  LEFT JOIN "KLOV"."M_USER" T2 ON D."TANDR2" = T2."USERID"
  LEFT JOIN "KLOV"."M_USER" T3 ON D."TANDR3" = T3."USERID"
 WHERE D."KNO" = :KNO AND D."VERNO" = :VERNO)");
    FQuery.setInt(QStringLiteral("KNO"), kno);
    FQuery.setInt(QStringLiteral("VERNO"), verno);
    FQuery.open();
    if (FQuery.eof()) {
        FQuery.close();
        return false;
    }
    TTaiyouHead& h = head;
    h.ID = FQuery.field(QStringLiteral("ID")).asInt64();
    h.KNO = num(FQuery, "KNO");
    h.KACD = num(FQuery, "KACD");
    h.WDR = text(FQuery, "WDR").trimmed();
    h.WFLG = num(FQuery, "WFLG");
    h.KNJNAME = text(FQuery, "KNJNAME");
    h.KNJKANA = text(FQuery, "KNJKANA");
    h.POSTCD = text(FQuery, "POSTCD").trimmed();
    h.ADR = text(FQuery, "ADR1") + text(FQuery, "ADR2");
    h.TEL = text(FQuery, "TEL").trimmed();
    if (h.TEL.isEmpty())
        h.TEL = text(FQuery, "KEITAI").trimmed();
    h.SEX = FQuery.field(QStringLiteral("SEX")).isNull() ? -1 : num(FQuery, "SEX");
    h.BIRTH = rec::storedDate(FQuery.field(QStringLiteral("BIRTH")));
    h.NDTE = rec::storedDate(FQuery.field(QStringLiteral("NDTE")));
    h.TDTE = rec::storedDate(FQuery.field(QStringLiteral("TDTE")));
    h.VERDTE = rec::storedDate(FQuery.field(QStringLiteral("VERDTE")));
    h.NSYU = FQuery.field(QStringLiteral("NSYU")).isNull() ? -1 : num(FQuery, "NSYU");
    h.NYUCNT = num(FQuery, "NYUCNT");
    h.VERNO = num(FQuery, "VERNO");
    h.KANM = text(FQuery, "KANM");
    h.SYUDRNM = text(FQuery, "SYUDRNM");
    h.TANDR1NM = text(FQuery, "TANDR1NM");
    h.TANDR2NM = text(FQuery, "TANDR2NM");
    h.TANDR3NM = text(FQuery, "TANDR3NM");
    h.WDRNM = text(FQuery, "WDRNM");
    h.SUSERNM = text(FQuery, "SUSERNM");
    h.SFLG = num(FQuery, "SFLG");
    h.KFLG = num(FQuery, "KFLG");
    h.DELKBN = num(FQuery, "DELKBN");
    h.ACTKBN = num(FQuery, "ACTKBN");
    h.NYURIYU = text(FQuery, "NYURIYU");
    h.NYUBEFKEIKA = text(FQuery, "NYUBEFKEIKA");
    h.NYUKEIKA = text(FQuery, "NYUKEIKA");
    h.TAIJOUHO = text(FQuery, "TAIJOUHO");
    h.TAIYAKU = text(FQuery, "TAIYAKU");
    h.TAIHOU = text(FQuery, "TAIHOU");
    FQuery.close();
    // Age in completed years at the discharge, or at the admission while
    // the patient is still in hospital.
    const QDate ref = h.TDTE.isValid() ? h.TDTE : h.NDTE;
    h.AGE = h.BIRTH.isValid() ? CommonU::AgeYears(ref, h.BIRTH) : -1;
    return true;
}

template <class Rows, class Read> void TPrtTaiyou::loadBlock(Rows& rows, Read read)
{
    try {
        read();
    } catch (const std::exception&) {
        FQuery.close();
        rows.clear();
        if (FBlocksMustLoad)
            throw;
    }
}

void TPrtTaiyou::loadAllergies()
{
    loadBlock(aryAlle, [this] { aryAlle = readAllergies(FQuery, head.ID, head.TDTE); });
}

void TPrtTaiyou::loadDevices()
{
    loadBlock(aryDevi, [this] { aryDevi = readDevices(FQuery, head.ID, head.TDTE); });
}

void TPrtTaiyou::loadDiseases(int kno, int verno)
{
    loadBlock(aryByo, [&] {
        FQuery.setSql(R"(SELECT Y."ID", B.*, T."SNO", T."SNO1", T."SNO2", M."ICD102013"
  FROM "KLOV"."D_TAIYOU" Y
  LEFT JOIN "KLOV"."D_TAIBYO" T ON Y."KNO" = T."KNO" AND Y."VERNO" = T."VERNO"
  LEFT JOIN "KLOV"."D_KANBYO" B ON Y."ID" = B."ID" AND T."BNO" = B."BNO" AND B."DELKBN" = 0
  LEFT JOIN "KLOV"."M_NMAIN" M ON B."BKNO" = M."BKNO"
 WHERE Y."KNO" = :KNO AND Y."VERNO" = :VERNO AND T."SNO" > 0
 ORDER BY T."SNO", T."SNO1", T."SNO2")");
        FQuery.setInt(QStringLiteral("KNO"), kno);
        FQuery.setInt(QStringLiteral("VERNO"), verno);
        FQuery.open();
        for (; !FQuery.eof(); FQuery.next()) {
            TrecByo b;
            b.BNO = num(FQuery, "BNO");
            b.SNO = num(FQuery, "SNO");
            b.SNO1 = str(FQuery, "SNO1", 4);
            b.SNO2 = str(FQuery, "SNO2", 4);
            b.BYONM = str(FQuery, "BYONM", 200);
            b.DISTKBN = num(FQuery, "DISTKBN");
            b.ICD102013 = str(FQuery, "ICD102013", 5);
            b.HJIKI = str(FQuery, "HJIKI", 8);
            b.ADDDTE = rec::storedDate(FQuery.field(QStringLiteral("ADDDTE")));
            b.TENKI = num(FQuery, "TENKI");
            b.BIKO = str(FQuery, "BIKO", 255);
            aryByo.push_back(b);
        }
        FQuery.close();
    });
}

void TPrtTaiyou::loadOperations(int kno, int verno)
{
    loadBlock(aryOpe, [&] {
        FQuery.setSql(R"(SELECT T."KNO", T."VERNO", D.*, D."KCODE", O1."USERNM" AS "OPEDR1NM",
       O2."USERNM" AS "OPEDR2NM", J1."USERNM" AS "JYO1NM", J2."USERNM" AS "JYO2NM",
       IU."USERNM" AS "INSUNM", DU."USERNM" AS "DELUNM"
  FROM "KLOV"."D_TAIOPE" T
  LEFT JOIN "KLOV"."D_TAIYOU" Y ON T."KNO" = Y."KNO" AND T."VERNO" = Y."VERNO"
  LEFT JOIN "KLOV"."D_KANOPE" D ON Y."ID" = D."ID" AND T."ONO" = D."ONO" AND D."DELKBN" = 0
  LEFT JOIN "KLOV"."M_USER" O1 ON D."OPEDR1" = O1."USERID"
  LEFT JOIN "KLOV"."M_USER" O2 ON D."OPEDR2" = O2."USERID"
  LEFT JOIN "KLOV"."M_USER" J1 ON D."JYO1" = J1."USERID"
  LEFT JOIN "KLOV"."M_USER" J2 ON D."JYO2" = J2."USERID"
  LEFT JOIN "KLOV"."M_USER" IU ON D."INSUSERID" = IU."USERID"
  LEFT JOIN "KLOV"."M_USER" DU ON D."DELUSERID" = DU."USERID"
 WHERE T."KNO" = :KNO AND T."VERNO" = :VERNO AND T."DELKBN" = 0
 ORDER BY D."OPEDTE")");
        FQuery.setInt(QStringLiteral("KNO"), kno);
        FQuery.setInt(QStringLiteral("VERNO"), verno);
        FQuery.open();
        for (; !FQuery.eof(); FQuery.next()) {
            TrecOpe o;
            o.OPEDTE = rec::storedDate(FQuery.field(QStringLiteral("OPEDTE")));
            o.OPENM = str(FQuery, "OPENM", 200);
            o.KCODE = str(FQuery, "KCODE", 12);
            o.OPEDR1NM = str(FQuery, "OPEDR1NM", 64);
            o.OPEDR2NM = str(FQuery, "OPEDR2NM", 64);
            o.JYO1NM = str(FQuery, "JYO1NM", 128);
            o.JYO2NM = str(FQuery, "JYO2NM", 128);
            o.COMM = str(FQuery, "COMM", 255);
            aryOpe.push_back(o);
        }
        FQuery.close();
    });
}

// ---------------------------------------------------------------- drawing helpers

void TPrtTaiyou::font(double points)
{
    FSize = points;
    FPrev->FontSize(points);
}

void TPrtTaiyou::fit(int width, const QString& text, double start, double minimum)
{
    fitFont(*FPrev, text, width, static_cast<int>(start), static_cast<int>(minimum));
}

void TPrtTaiyou::label(int x1, int x2, int y1, int y2, const QString& text, double points)
{
    FSize = points;
    prtkit::label(*FPrev, x1, x2, y1, y2, text, points);
}

void TPrtTaiyou::rectLT(int x1, int x2, int y1, int y2, const QString& t) { fitted(*FPrev, &TplPrev::TextRectLT, x1, x2, y1, y2, t, FSize); }
void TPrtTaiyou::rectLC(int x1, int x2, int y1, int y2, const QString& t) { fitted(*FPrev, &TplPrev::TextRectLC, x1, x2, y1, y2, t, FSize); }
void TPrtTaiyou::rectCC(int x1, int x2, int y1, int y2, const QString& t) { fitted(*FPrev, &TplPrev::TextRectCC, x1, x2, y1, y2, t, FSize); }
void TPrtTaiyou::rectRB(int x1, int x2, int y1, int y2, const QString& t) { fitted(*FPrev, &TplPrev::TextRectRB, x1, x2, y1, y2, t, FSize); }

void TPrtTaiyou::pageCheck(int limit)
{
    if (FY > limit) {
        FPrev->NewPage();
        FY = 180;
    }
}

// ---------------------------------------------------------------- drawing

void TPrtTaiyou::Draw(TplPrev& prev, bool prnHosp, bool prnDtm, const QString& printTime)
{
    FPrev = &prev;
    prev.BeginDoc();
    try {
        drawingDefaults(prev);
        drawTitle(printTime, prnDtm);
        drawPatientGrid();
        FY = allergyTable(prev, FY, aryAlle);
        pageCheck(kPageCheck);
        FY = deviceTable(prev, FY, aryDevi);
        pageCheck(kPageCheck);
        drawDiseases();
        pageCheck(kPageCheck);
        drawComplaint();
        pageCheck(kPageCheck);
        drawSection(QStringLiteral("入院までの経過（現病歴・既往歴・入院時現症,等）"), head.NYUBEFKEIKA);
        pageCheck(kPageCheck);
        drawSection(QStringLiteral("入院経過"), head.NYUKEIKA);
        pageCheck(kPageCheck);
        drawOperations();
        pageCheck(kPageCheck);
        drawSection(QStringLiteral("退院時状況"), head.TAIJOUHO);
        pageCheck(kPageCheck);
        drawSection(QStringLiteral("退院時投薬"), head.TAIYAKU);
        pageCheck(kPageCheck);
        drawSection(QStringLiteral("退院時方針"), head.TAIHOU);
        // No page check after the last section: only the footer follows,
        // and it has its own place on this page.
        if (prnHosp)
            drawFooter();
    } catch (...) {
        prev.EndDoc();
        FPrev = nullptr;
        throw;
    }
    prev.EndDoc();
    FPrev = nullptr;
}

void TPrtTaiyou::drawTitle(const QString& printTime, bool prnDtm)
{
    QString title = QStringLiteral("退院時要約");
    if (head.DELKBN == 1)
        title += QStringLiteral(" 【削除済】");
    else if (head.ACTKBN != 1)
        title += QStringLiteral(" 【旧version】");
    font(12);
    rectLT(170, 1000, 200, 250, title);
    if (prnDtm) {
        font(9);
        rectRB(1000, 1930, 200, 245, printTime);
    }
}

void TPrtTaiyou::drawPatientGrid()
{
    const TTaiyouHead& h = head;
    TplPrev& p = *FPrev;
    const int r1 = 250, r2 = 293, r3 = 336, r4 = 379, r5 = 422, r6 = 465;

    // Rows 1 and 2: the patient box.
    TPatientBox box;
    box.name = h.KNJNAME;
    box.kana = h.KNJKANA;
    box.id = QString::number(h.ID);
    if (h.BIRTH.isValid())
        box.birth = QStringLiteral("(%1) ").arg(eraText::eraYear(h.BIRTH)) + shortDate(h.BIRTH);
    if (h.AGE >= 0)
        box.age = QString::number(h.AGE) + QStringLiteral(" 歳");
    box.sex = h.SEX == 0 ? QStringLiteral("男") : h.SEX == 1 ? QStringLiteral("女") : QStringLiteral("不明");
    if (!h.POSTCD.isEmpty())
        box.post = QStringLiteral("〒") + h.POSTCD;
    box.adr = h.ADR;
    box.tel = h.TEL;
    patientBox(p, box, r1, false);

    // Row 3
    label(170, 300, r3, r4, QStringLiteral("入院日"));
    font(10);
    rectLC(310, 570, r3, r4, shortDate(h.NDTE));
    label(570, 700, r3, r4, QStringLiteral("退院日"));
    font(10);
    rectLC(700, 950, r3, r4, shortDate(h.TDTE));
    label(950, 1080, r3, r4, QStringLiteral("入院種別"));
    font(10);
    rectLC(1090, 1420, r3, r4,
                 h.NSYU == 0 ? QStringLiteral("定例") : h.NSYU == 1 ? QStringLiteral("予定外") : QString());
    label(1420, 1600, r3, r4, QStringLiteral("今回含め"));
    font(10);
    if (h.NYUCNT != 0)
        rectLC(1610, 1930, r3, r4, QString::number(h.NYUCNT) + QStringLiteral("回目入院"));
    columnRules(p, {300, 570, 700, 950, 1080, 1420, 1600}, r3, r4);

    // Row 4
    label(170, 300, r4, r5, QStringLiteral("診療科"));
    font(10);
    rectLC(310, 570, r4, r5, h.KANM);
    label(570, 700, r4, r5, QStringLiteral("担当医"));
    QStringList doctors;
    for (const QString& d : {h.TANDR1NM, h.TANDR2NM, h.TANDR3NM})
        if (!d.trimmed().isEmpty())
            doctors << d.trimmed();
    const QString tan = doctors.join(QLatin1Char('/'));
    fit(710, tan);
    p.TextRectLC(710, 1420, r4, r5, tan);
    label(1420, 1550, r4, r5, QStringLiteral("主治医"));
    font(10);
    rectLC(1560, 1930, r4, r5, h.SYUDRNM);
    columnRules(p, {300, 570, 700, 1420, 1550}, r4, r5);

    // Row 5
    label(170, 300, r5, r6, QStringLiteral("version"));
    font(10);
    const QString ver = h.KFLG == 1
        ? QStringLiteral("%1版(%2)").arg(h.VERNO).arg(shortDate(h.VERDTE))
        : QStringLiteral("%1版(完成確認前)").arg(h.VERNO);
    rectLC(310, 570, r5, r6, ver);
    label(570, 700, r5, r6, QStringLiteral("記載者"));
    font(10);
    rectLC(710, 1000, r5, r6, h.WDRNM);
    label(1160, 1290, r5, r6, QStringLiteral("承認"));
    font(10);
    rectCC(1290, 1420, r5, r6, h.SFLG == 1 ? QStringLiteral("済") : QStringLiteral("未"));
    label(1420, 1550, r5, r6, QStringLiteral("承認者"));
    font(10);
    if (h.SFLG == 1)
        rectLC(1560, 1930, r5, r6, h.SUSERNM);
    columnRules(p, {300, 570, 700, 1160, 1290, 1420, 1550}, r5, r6);

    for (int y : {r2, r3, r4, r5})
        p.Line(kLeft, kRight, y, y);
    p.RectLine(kLeft, kRight, r1, r6);
    FY = r6;
}

void TPrtTaiyou::drawDiseases()
{
    if (aryByo.empty())
        return;
    TplPrev& p = *FPrev;
    // The heading row stays with the first disease.
    int y = headingStart(p, FY + 20, 43);
    p.BrushColor(theme::kSilver);
    p.FillRect(kLeft, kRight, y, y + 43);
    font(10);
    rectLC(190, 272, y, y + 43, QStringLiteral("＃"));
    rectLC(282, 710, y, y + 43, QStringLiteral("病名"));
    rectCC(710, 830, y, y + 43, QStringLiteral("ICD-10"));
    rectCC(830, 1010, y, y + 43, QStringLiteral("発生時期"));
    rectLC(1020, 1180, y, y + 43, QStringLiteral("登録日"));
    rectCC(1180, 1300, y, y + 43, QStringLiteral("転帰"));
    rectLC(1310, 1930, y, y + 43, QStringLiteral("コメント"));
    columnRules(p, {272, 710, 830, 1010, 1180, 1300}, y, y + 43);
    p.RectLine(kLeft, kRight, y, y + 43);
    FY = y + 43;
    for (const TrecByo& b : aryByo) {
        y = rowStart(p, FY);
        font(10);
        rectCC(170, 204, y, y + 43, QString::number(b.SNO));
        rectCC(204, 238, y, y + 43, b.SNO1);
        rectCC(238, 272, y, y + 43, b.SNO2);
        const QString name = b.BYONM + (b.DISTKBN == 1 ? QStringLiteral("疑い") : QString());
        int nameBottom = y + 43;
        if (diseaseNameSize(p, name) == 6) {
            // Still too wide at 7 points: 6 points in up to three rows.
            font(6);
            QStringList nameRows{name};
            nameBottom = std::max(nameBottom, p.StringListOut(nameRows, foJustify, 275, 708, y, y + 43, 21, 0));
        } else {
            rectLC(277, 710, y, y + 43, name);
        }
        font(10);
        rectCC(710, 830, y, y + 43, b.ICD102013);
        const QString hjiki = rec::hjikiPrintText(b.HJIKI);
        fit(180, hjiki);
        p.TextRectCC(830, 1010, y, y + 43, hjiki);
        font(10);
        rectCC(1010, 1180, y, y + 43, shortDate(b.ADDDTE));
        rectCC(1180, 1300, y, y + 43, rec::tenkiName(b.TENKI));
        std::vector<TFlow> flows{{lines(b.BIKO), 1305, 1925, 9}};
        FY = flowRow(p, flows, y, nameBottom, 43, {170, 204, 238, 272, 710, 830, 1010, 1180, 1300, 1930});
    }
}

void TPrtTaiyou::drawComplaint()
{
    TplPrev& p = *FPrev;
    FY += 20;
    const int y = FY;
    label(170, 470, y, y + 43, QStringLiteral("主訴または入院理由"), 10);
    fit(1450, head.NYURIYU);
    p.TextRectLC(480, 1930, y, y + 43, head.NYURIYU);
    columnRules(p, {470}, y, y + 43);
    p.RectLine(kLeft, kRight, y, y + 43);
    FY = y + 43;
}

void TPrtTaiyou::drawSection(const QString& title, const QString& body)
{
    TplPrev& p = *FPrev;
    FY += 20;
    const int y = FY;
    p.BrushColor(theme::kSilver);
    p.FillRect(kLeft, kRight, y, y + 43);
    font(10);
    rectLC(180, 1930, y, y + 43, title);
    p.RectLine(kLeft, kRight, y, y + 43);

    QStringList rows = body.trimmed().isEmpty() ? QStringList{QStringLiteral(" ")} : lines(body);
    int top = y + 43;
    int yt = top + 5;
    for (;;) {
        font(10);
        const int end = p.StringListOut(rows, {}, 180, 1925, yt, kFlowBottom, 32, 0);
        if (rows.isEmpty()) {
            const int bottom = std::max(end + 5, top + 43);
            columnRules(p, {kLeft, kRight}, top, bottom);
            p.Line(kLeft, kRight, bottom, bottom);
            FY = bottom;
            return;
        }
        // The frame is closed below the last row that fitted and goes on
        // at the top of the next page.
        const int close = 2810 - ((2805 - top) % 32);
        columnRules(p, {kLeft, kRight}, top, close);
        p.Line(kLeft, kRight, close, close);
        p.NewPage();
        p.Line(kLeft, kRight, 180, 180);
        top = 180;
        yt = 185;
    }
}

void TPrtTaiyou::drawOperations()
{
    if (aryOpe.empty())
        return;
    TplPrev& p = *FPrev;
    // The heading and the column titles stay with the first operation.
    int y = headingStart(p, FY + 20, 104);
    label(170, 350, y, y + 52, QStringLiteral("手術・手技"), 10);
    p.RectLine(170, 350, y, y + 52);
    y += 52;
    p.BrushColor(theme::kSilver);
    p.FillRect(kLeft, kRight, y, y + 52);
    font(10);
    rectCC(180, 350, y, y + 52, QStringLiteral("実施日"));
    rectLC(360, 850, y, y + 52, QStringLiteral("内容"));
    font(9);
    rectCC(860, 950, y, y + 52, QStringLiteral("CODE"));
    font(10);
    rectLC(960, 1320, y, y + 52, QStringLiteral("術者/助手"));
    rectLC(1330, 1930, y, y + 52, QStringLiteral("コメント"));
    columnRules(p, {350, 860, 950, 1320}, y, y + 52);
    p.RectLine(kLeft, kRight, y, y + 52);
    FY = y + 52;
    for (const TrecOpe& o : aryOpe) {
        y = rowStart(p, FY);
        font(10);
        rectCC(170, 350, y, y + 52, shortDate(o.OPEDTE));
        fit(90, o.KCODE);
        p.TextRectCC(860, 950, y, y + 52, o.KCODE);
        QString surgeons = o.OPEDR1NM.trimmed();
        if (!o.OPEDR2NM.trimmed().isEmpty())
            surgeons += QLatin1Char(' ') + o.OPEDR2NM.trimmed();
        QString assistants = o.JYO1NM.trimmed();
        if (!o.JYO2NM.trimmed().isEmpty())
            assistants += QLatin1Char(' ') + o.JYO2NM.trimmed();
        const QString staff = assistants.isEmpty() ? surgeons : surgeons + QLatin1Char('/') + assistants;
        fit(365, staff);
        p.TextRectLC(955, 1320, y, y + 52, staff);
        std::vector<TFlow> flows{{lines(o.OPENM), 350, 860, 9}, {lines(o.COMM), 1325, 1925, 9}};
        FY = flowRow(p, flows, y, y + 52, 52, {170, 350, 860, 950, 1320, 1930});
    }
}

void TPrtTaiyou::drawFooter()
{
    TplPrev& p = *FPrev;
    const int y = FY >= 2700 ? FY + 5 : 2800;
    font(10);
    rectLC(170, 1930, y, y + 36, hosp.HOSPNM);
    QString line = hosp.POSTCD.isEmpty() ? hosp.HOSPADR
                                         : QStringLiteral("〒") + hosp.POSTCD + QLatin1Char(' ') + hosp.HOSPADR;
    if (!hosp.TEL.isEmpty())
        line += QStringLiteral("  TEL:") + hosp.TEL;
    if (!hosp.FAX.isEmpty())
        line += QStringLiteral("  FAX:") + hosp.FAX;
    fit(1760, line, 9);
    p.TextRectLC(170, 1930, y + 36, y + 72, line);
}

// ---------------------------------------------------------------- entry points

bool DrawTaiyou(TplPrev& prev, QWidget* parent, int kno, int verno, bool prnHosp, bool prnDtm, QString* error)
{
    if (error)
        error->clear();
    TQuery query(&dm().ADOCPOST);
    TPrtTaiyou prt(query);
    QString printTime;
    try {
        printTime = CommonU::GetServerTime().toString(QStringLiteral("yyyy/MM/dd HH:mm:ss"));
        if (!prt.Load(kno, verno)) {
            msg::warning(parent, QStringLiteral("この患者IDは存在しません。"));
            return false;
        }
    } catch (const std::exception& e) {
        if (error)
            *error = errorWarningText(e);
        return false;
    }
    try {
        prt.Draw(prev, prnHosp, prnDtm, printTime);
    } catch (const std::exception& e) {
        if (error)
            *error = errorWarningText(e);
    }
    return true;
}

bool PrintTaiyou(QWidget* parent, int kno, int verno, bool prnHosp, bool prnDtm)
{
    TplSetPrinter setPrinter;
    selectA4Portrait(setPrinter);
    TplPrev prev(parent);
    prev.SetplSetPrinter(&setPrinter);
    prev.FTitle = QStringLiteral("退院サマリー印刷");
    QString error;
    if (!DrawTaiyou(prev, parent, kno, verno, prnHosp, prnDtm, &error)) {
        if (!error.isEmpty())
            msg::warning(parent, error);
        return false;
    }
    prev.ShowModal();
    if (!error.isEmpty())
        msg::warning(parent, error);
    return true;
}
