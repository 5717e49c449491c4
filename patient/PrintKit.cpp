#include "patient/PrintKit.h"

#include "app/CommonU.h"
#include "app/Globals.h"
#include "app/MsgBox.h"
#include "app/Theme.h"
#include "app/SjisText.h"
#include "app/UntDM.h"
#include "app/WaitCursor.h"
#include "controls/EraText.h"
#include "controls/PlPrev.h"
#include "controls/PlSetPrinter.h"
#include "db/Query.h"
#include "db/Records.h"

#include <QRegularExpression>

#include <algorithm>

namespace prtkit {

bool readPatient(qint64 id, TPrtPatient& p)
{
    TQuery q(&dm().ADOCPOST);
    q.setSql(R"(SELECT * FROM "KLOV"."M_KANJA" WHERE "ID" = :ID AND "ACTKBN" = 1 AND "DELKBN" = 0)");
    q.setInt64(QStringLiteral("ID"), id);
    q.open();
    if (q.eof())
        return false;
    const auto s = [&q](const char* f) { return q.field(QLatin1String(f)).asString(); };
    p.id = id;
    p.kana = s("KNJKANA");
    p.name = s("KNJNAME");
    p.sex = q.field(QStringLiteral("SEX")).isNull() ? -1 : q.field(QStringLiteral("SEX")).asInteger();
    p.birth = q.field(QStringLiteral("BIRTH")).isNull() ? QDate() : q.field(QStringLiteral("BIRTH")).asDate();
    p.postcd = s("POSTCD");
    p.adr = s("ADR1") + s("ADR2");
    p.tel = s("TEL").trimmed().isEmpty() ? s("KEITAI") : s("TEL");
    return true;
}

namespace {
QString entryText(const TQuery& q, const char* name, int capacity)
{
    const TField f = q.field(QLatin1String(name));
    return f.isNull() ? QString() : sjis::cutToBytes(f.asString(), capacity);
}

int entryNumber(const TQuery& q, const char* name)
{
    const TField f = q.field(QLatin1String(name));
    return f.isNull() ? 0 : f.asInteger();
}

// Opens the live entries of one of the two tables, in print order.
void openEntries(TQuery& q, const QString& table, qint64 id, const QDate& until)
{
    QString sql = QStringLiteral(R"(SELECT * FROM "KLOV"."%1" WHERE "ID" = :ID AND "DELKBN" = 0)").arg(table);
    if (until.isValid())
        sql += QStringLiteral(R"( AND TO_CHAR("ADDDTE",'YYYYMMDD') <= :TDTE)");
    sql += QStringLiteral(R"( ORDER BY "ADDDTE", "RNO")");
    q.setSql(sql);
    q.setInt64(QStringLiteral("ID"), id);
    if (until.isValid())
        q.setText(QStringLiteral("TDTE"), rec::yyyymmdd(until), 8);
    q.open();
}
} // namespace

std::vector<TrecAlle> readAllergies(TQuery& q, qint64 id, const QDate& until)
{
    openEntries(q, QStringLiteral("M_ALLERGY"), id, until);
    std::vector<TrecAlle> rows;
    for (; !q.eof(); q.next()) {
        TrecAlle a;
        a.HKBN = entryNumber(q, "HKBN");
        a.ADDDTE = rec::storedDate(q.field(QStringLiteral("ADDDTE")));
        a.ALLEHIN = entryText(q, "ALLEHIN", 128);
        a.HANNOU = entryText(q, "HANNOU", 128);
        a.HJIKI = entryText(q, "HJIKI", 8);
        a.KAFAMY = entryNumber(q, "KAFAMY");
        a.KAHOSP = entryNumber(q, "KAHOSP");
        a.COMM = entryText(q, "COMM", 200);
        rows.push_back(a);
    }
    q.close();
    return rows;
}

std::vector<TrecDevi> readDevices(TQuery& q, qint64 id, const QDate& until)
{
    openEntries(q, QStringLiteral("M_DEVICE"), id, until);
    std::vector<TrecDevi> rows;
    for (; !q.eof(); q.next()) {
        TrecDevi d;
        d.ADDDTE = rec::storedDate(q.field(QStringLiteral("ADDDTE")));
        d.DEVICE = entryText(q, "DEVICE", 200);
        d.COMM = entryText(q, "COMM", 200);
        rows.push_back(d);
    }
    q.close();
    return rows;
}

// ---------------------------------------------------------------- document

void selectA4Portrait(TplSetPrinter& setPrinter)
{
    setPrinter.SetPrinterName(TplSetPrinter::DefaultPrinterName());
    setPrinter.GetPrinterInfo(false);
    setPrinter.SetPaperNumber(9);
    setPrinter.SetOrientation(poPortrait);
    setPrinter.CallSetting();
}

void drawingDefaults(TplPrev& prev)
{
    prev.FontName(theme::kMincho);
    prev.FontSize(10);
    prev.PenColor(Qt::black);
    prev.PenWidth(1);
    prev.BrushStyle(Qt::NoBrush);
}

void beginDocument(TplPrev& prev, TplSetPrinter& setPrinter, const QString& title)
{
    selectA4Portrait(setPrinter);
    prev.SetplSetPrinter(&setPrinter);
    prev.FTitle = title;
    prev.BeginDoc();
    drawingDefaults(prev);
}

bool recordDocument(QWidget* parent, TplPrev& prev, TplSetPrinter& setPrinter, qint64 id, bool hasRows,
                    const QString& title, const std::function<void(const TPrtPatient&, const QDateTime&)>& draw)
{
    if (!hasRows) {
        msg::warning(parent, QStringLiteral("登録されたデータがありません。"));
        return false;
    }
    TPrtPatient patient;
    if (!readPatient(id, patient)) {
        msg::warning(parent, QStringLiteral("この患者IDは存在しません。"));
        return false;
    }
    const QDateTime now = CommonU::GetServerTime();
    TWaitCursor wait;
    beginDocument(prev, setPrinter, title);
    draw(patient, now);
    prev.EndDoc();
    return true;
}

// ---------------------------------------------------------------- texts

QStringList lines(const QString& text)
{
    if (text.isEmpty())
        return {};
    QStringList out = text.split(QRegularExpression(QStringLiteral("\r\n|\r|\n")));
    if (out.last().isEmpty())
        out.removeLast();
    return out;
}

QString shortDate(const QDate& d)
{
    if (rec::isAbsentDate(d))
        return {};
    return d.toString(QStringLiteral("yyyy/M/d"));
}

int fitFont(TplPrev& prev, const QString& text, int maxWidth, int fromPt, int minPt)
{
    int pt = fromPt;
    prev.FontSize(pt);
    while (pt > minPt && prev.TextWidth(text) > maxWidth)
        prev.FontSize(--pt);
    return pt;
}

void fitted(TplPrev& prev, TTextRect draw, int x1, int x2, int y1, int y2, const QString& text, double points)
{
    double size = points;
    prev.FontSize(size);
    while (prev.TextWidth(text) > std::abs(x2 - x1) && size > 6) {
        size -= 1;
        prev.FontSize(size);
    }
    (prev.*draw)(x1, x2, y1, y2, text);
    prev.FontSize(points);
}

int diseaseNameSize(TplPrev& prev, const QString& name)
{
    const int pt = fitFont(prev, name, kDiseaseNameWidth, 10, 7);
    if (prev.TextWidth(name) > kDiseaseNameWidth) {
        prev.FontSize(6);
        return 6;
    }
    return pt;
}

// ---------------------------------------------------------------- cells and rules

void greyCell(TplPrev& prev, int x1, int x2, int y1, int y2)
{
    prev.BrushColor(theme::kSilver);
    prev.Rectangle(x1, x2, y1, y2);
    prev.BrushStyle(Qt::NoBrush);
}

void label(TplPrev& prev, int x1, int x2, int y1, int y2, const QString& text, double points)
{
    prev.BrushColor(theme::kSilver);
    prev.FillRect(x1, x2, y1, y2);
    fitted(prev, &TplPrev::TextRectCC, x1, x2, y1, y2, text, points);
}

void columnRules(TplPrev& prev, const std::vector<int>& xs, int y1, int y2)
{
    for (int x : xs)
        prev.Line(x, x, y1, y2);
}

void closeRow(TplPrev& prev, const std::vector<int>& xs, int top, int bottom)
{
    columnRules(prev, xs, top, bottom);
    prev.Line(kLeft, kRight, bottom, bottom);
}

int continuationPage(TplPrev& prev)
{
    prev.NewPage();
    prev.Line(kLeft, kRight, kContinueTop, kContinueTop);
    return kContinueTop;
}

int rowStart(TplPrev& prev, int y)
{
    return y > kRowBreak ? continuationPage(prev) : y;
}

int headingStart(TplPrev& prev, int y, int height)
{
    return y + height > kRowBreak ? continuationPage(prev) : y;
}

// ---------------------------------------------------------------- flowing rows

int flowRow(TplPrev& prev, std::vector<TFlow>& flows, int rowTop, int minBottom, int minHeight,
            const std::vector<int>& columns)
{
    int yt = rowTop + 5;
    for (;;) {
        int end = yt;
        bool more = false;
        for (TFlow& f : flows) {
            prev.FontSize(f.points);
            end = std::max(end, prev.StringListOut(f.lines, foJustify, f.xl, f.xr, yt, kFlowBottom, 32, 0));
            more = more || !f.lines.isEmpty();
        }
        const int bottom = std::max(minBottom, end + 5);
        closeRow(prev, columns, rowTop, bottom);
        if (!more)
            return bottom;
        rowTop = continuationPage(prev);
        yt = rowTop + 5;
        minBottom = rowTop + minHeight;
    }
}

int flowFrame(TplPrev& prev, QStringList& lines, int& top, const TFrameFlow& frame)
{
    const TFormatOptions options = frame.justify ? TFormatOptions(foJustify) : TFormatOptions();
    for (;;) {
        const int end = prev.StringListOut(lines, options, frame.xl, frame.xr, top + frame.pad, frame.textBottom,
                                           frame.rowHeight, 0);
        if (lines.isEmpty())
            return end;
        closeFrame(prev, frame, top, kFlowBottom);
        prev.NewPage();
        prev.Line(frame.left, frame.right, kContinueTop, kContinueTop);
        top = kContinueTop;
    }
}

void closeFrame(TplPrev& prev, const TFrameFlow& frame, int top, int bottom)
{
    columnRules(prev, {frame.left, frame.right}, top, bottom);
    prev.Line(frame.left, frame.right, bottom, bottom);
}

// ---------------------------------------------------------------- page parts

TPatientBox patientBoxOf(const TPrtPatient& p, const QDate& ageAt)
{
    TPatientBox b;
    b.name = p.name;
    b.kana = p.kana;
    b.id = QString::number(p.id);
    if (!rec::isAbsentDate(p.birth)) {
        b.birth = QStringLiteral("(") + eraText::eraYear(p.birth) + QStringLiteral(")") + shortDate(p.birth);
        b.age = QString::number(CommonU::AgeYears(ageAt, p.birth)) + QStringLiteral(" 歳");
    }
    b.sex = p.sex == 0 ? QStringLiteral("男") : p.sex == 1 ? QStringLiteral("女") : QStringLiteral("不明");
    b.post = QStringLiteral("〒") + p.postcd;
    b.adr = p.adr;
    b.tel = p.tel;
    return b;
}

void patientBox(TplPrev& prev, const TPatientBox& box, int top, bool framed)
{
    const int mid = top + 43, bottom = top + 86;
    if (framed) {
        prev.RectLine(kLeft, kRight, top, bottom);
        prev.Line(kLeft, kRight, mid, mid);
    }
    struct TCell { int x1, x2, y1, y2; const char* text; };
    const TCell cells[] = {
        {170, 300, top, mid, "氏名"},     {170, 300, mid, bottom, "かな"},
        {610, 740, top, mid, "患者ID"},   {610, 740, mid, bottom, "住所"},
        {950, 1080, top, mid, "生年月日"}, {1420, 1600, top, mid, "年齢"},
        {1740, 1850, top, mid, "性別"},   {1580, 1680, mid, bottom, "電話"},
    };
    for (const TCell& c : cells) {
        if (framed) {
            greyCell(prev, c.x1, c.x2, c.y1, c.y2);
            fitted(prev, &TplPrev::TextRectCC, c.x1, c.x2, c.y1, c.y2, QString::fromUtf8(c.text), 10);
        } else {
            label(prev, c.x1, c.x2, c.y1, c.y2, QString::fromUtf8(c.text), 9);
        }
    }

    fitFont(prev, box.name, 300);
    prev.TextRectLC(310, 610, top, mid, box.name);
    fitFont(prev, box.kana, 300);
    prev.TextRectLC(310, 610, mid, bottom, box.kana);
    fitted(prev, &TplPrev::TextRectRC, 740, 940, top, mid, box.id, 10);
    if (!box.post.isEmpty()) {
        prev.FontSize(9);
        prev.TextOutLT(745, mid + 2, box.post);
    }
    fitFont(prev, box.adr, 660);
    prev.TextRectLC(920, 1580, mid, bottom, box.adr);
    if (!box.birth.isEmpty())
        fitted(prev, &TplPrev::TextRectCC, 1080, 1420, top, mid, box.birth, 10);
    if (!box.age.isEmpty())
        fitted(prev, &TplPrev::TextRectCC, 1600, 1740, top, mid, box.age, 10);
    fitFont(prev, box.tel, 220);
    prev.TextRectCC(1680, 1930, mid, bottom, box.tel);
    fitted(prev, &TplPrev::TextRectCC, 1850, 1930, top, mid, box.sex, 10);
    if (!framed) {
        columnRules(prev, {300, 610, 740, 950, 1080, 1420, 1600, 1740, 1850}, top, mid);
        columnRules(prev, {300, 610, 740, 1580, 1680}, mid, bottom);
    }
}

void drawHead(TplPrev& prev, const QString& heading, const TPrtPatient& p, const QDateTime& printedAt)
{
    prev.FontSize(12);
    prev.TextRectLT(170, 560, 200, 250, heading);
    prev.FontSize(9);
    prev.TextOutRB(1930, 240, printedAt.toString(QStringLiteral("yyyy/MM/dd hh:mm:ss")));
    patientBox(prev, patientBoxOf(p, printedAt.date()), 250, true);
}

namespace {

// The heading and column titles of an allergy group (86 high from y).
void allergyHeading(TplPrev& prev, int y, int hkbn)
{
    label(prev, 170, 560, y, y + 43, QStringLiteral("アレルギー・不適応反応"), 10);
    fitted(prev, &TplPrev::TextRectLC, 560, 700, y, y + 43,
           hkbn == 1 ? QStringLiteral("あり") : QStringLiteral("不詳"), 10);
    columnRules(prev, {560}, y, y + 43);
    prev.RectLine(170, 700, y, y + 43);
    y += 43;
    prev.BrushColor(theme::kSilver);
    prev.FillRect(kLeft, kRight, y, y + 43);
    const auto title = [&](int x1, int x2, const QString& t) {
        fitted(prev, &TplPrev::TextRectLC, x1, x2, y, y + 43, t, 10);
    };
    title(180, 435, QStringLiteral("食品・薬物等"));
    title(445, 700, QStringLiteral("反応"));
    title(710, 880, QStringLiteral("発生時期"));
    title(890, 1060, QStringLiteral("登録日"));
    title(1070, 1560, QStringLiteral("確認法"));
    title(1570, 1930, QStringLiteral("コメント"));
    columnRules(prev, {435, 700, 880, 1060, 1560}, y, y + 43);
    prev.RectLine(kLeft, kRight, y, y + 43);
}

int allergyRow(TplPrev& prev, int y, const TrecAlle& a, int hkbn)
{
    fitFont(prev, a.ALLEHIN, 255);
    prev.TextRectLC(180, 435, y, y + 43, a.ALLEHIN);
    fitFont(prev, a.HANNOU, 255);
    prev.TextRectLC(445, 700, y, y + 43, a.HANNOU);
    const QString hjiki = rec::hjikiPrintText(a.HJIKI);
    fitFont(prev, hjiki, 180);
    prev.TextRectCC(700, 880, y, y + 43, hjiki);
    fitted(prev, &TplPrev::TextRectCC, 880, 1060, y, y + 43, shortDate(a.ADDDTE), 10);
    const auto box = [&](int x1, int x2, bool ticked) {
        if (ticked) {
            prev.BrushColor(Qt::black);
            prev.Rectangle(x1, x2, y + 11, y + 32);
        } else {
            prev.RectLine(x1, x2, y + 11, y + 32);
        }
    };
    box(1080, 1100, a.KAFAMY == 1);
    fitted(prev, &TplPrev::TextRectLC, 1105, 1320, y, y + 43, QStringLiteral("本人・家族申告"), 8);
    box(1320, 1340, a.KAHOSP == 1);
    fitted(prev, &TplPrev::TextRectLC, 1345, 1560, y, y + 43,
           hkbn == 1 ? QStringLiteral("医療従事者申告") : QStringLiteral("医療従事者確認"), 8);
    std::vector<TFlow> flows{{lines(a.COMM), 1565, 1925, 9}};
    return flowRow(prev, flows, y, y + 43, 43, {170, 435, 700, 880, 1060, 1560, 1930});
}

int allergyGroup(TplPrev& prev, int y, const std::vector<TrecAlle>& rows, int hkbn)
{
    bool heading = true;
    for (const TrecAlle& a : rows) {
        if (a.HKBN != hkbn)
            continue;
        if (heading) {
            y = headingStart(prev, y, 86);
            allergyHeading(prev, y, hkbn);
            y += 86;
            heading = false;
        } else {
            y = rowStart(prev, y);
        }
        y = allergyRow(prev, y, a, hkbn);
    }
    return y;
}

} // namespace

int allergyTable(TplPrev& prev, int y, const std::vector<TrecAlle>& rows)
{
    if (rows.empty())
        return y;
    y += 20;
    const TrecAlle& first = rows.front();
    if (first.HKBN == 0) {
        // The earliest entry says there is none: that alone is printed.
        label(prev, 170, 560, y, y + 43, QStringLiteral("アレルギー・不適応反応"), 10);
        fitted(prev, &TplPrev::TextRectLC, 560, 700, y, y + 43, QStringLiteral("なし"), 10);
        label(prev, 700, 870, y, y + 43, QStringLiteral("登録日"), 10);
        fitted(prev, &TplPrev::TextRectLC, 870, 1050, y, y + 43, shortDate(first.ADDDTE), 9);
        columnRules(prev, {560, 700, 870}, y, y + 43);
        prev.RectLine(170, 1050, y, y + 43);
        return y + 43;
    }
    // A group without entries prints nothing, not even a page of its own;
    // the heading of one with entries goes to the next page when it would
    // begin below the foot of this one.
    y = allergyGroup(prev, y, rows, 1);
    return allergyGroup(prev, y, rows, 2);
}

int deviceTable(TplPrev& prev, int y, const std::vector<TrecDevi>& rows)
{
    if (rows.empty())
        return y;
    y += 20;
    label(prev, 170, 435, y, y + 43, QStringLiteral("デバイス情報"), 10);
    prev.RectLine(170, 435, y, y + 43);
    y += 43;
    prev.BrushColor(theme::kSilver);
    prev.FillRect(kLeft, kRight, y, y + 43);
    fitted(prev, &TplPrev::TextRectLC, 180, 435, y, y + 43, QStringLiteral("デバイス"), 10);
    fitted(prev, &TplPrev::TextRectLC, 445, 610, y, y + 43, QStringLiteral("装着日"), 10);
    fitted(prev, &TplPrev::TextRectLC, 620, 1930, y, y + 43, QStringLiteral("コメント"), 10);
    columnRules(prev, {435, 610}, y, y + 43);
    prev.RectLine(kLeft, kRight, y, y + 43);
    y += 43;
    for (size_t i = 0; i < rows.size(); ++i) {
        const TrecDevi& d = rows[i];
        fitFont(prev, d.DEVICE, 255);
        prev.TextRectLC(180, 435, y, y + 43, d.DEVICE);
        fitted(prev, &TplPrev::TextRectLC, 445, 610, y, y + 43, shortDate(d.ADDDTE), 10);
        fitFont(prev, d.COMM, 1310);
        prev.TextRectLC(620, 1930, y, y + 43, d.COMM);
        closeRow(prev, {170, 435, 610, 1930}, y, y + 43);
        y += 43;
        if (y > kRowBreak && i + 1 < rows.size())
            y = continuationPage(prev);
    }
    return y;
}

} // namespace prtkit
