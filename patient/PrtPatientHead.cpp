#include "patient/PrtPatientHead.h"

#include "app/Globals.h"
#include "app/CommonU.h"
#include "app/MsgBox.h"
#include "app/Theme.h"
#include "app/UntDM.h"
#include "app/WaitCursor.h"
#include "controls/EraText.h"
#include "controls/PlPrev.h"
#include "controls/PlSetPrinter.h"
#include "db/Query.h"
#include "db/Records.h"

#include <QRegularExpression>

namespace prthead {

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

void beginDocument(TplPrev& prev, TplSetPrinter& setPrinter, const QString& title)
{
    setPrinter.SetPrinterName(TplSetPrinter::DefaultPrinterName());
    setPrinter.GetPrinterInfo(false);
    setPrinter.SetPaperNumber(9);
    setPrinter.SetOrientation(poPortrait);
    setPrinter.CallSetting();
    prev.SetplSetPrinter(&setPrinter);
    prev.FTitle = title;
    prev.BeginDoc();
    prev.FontName(theme::kMincho);
    prev.FontSize(10);
    prev.PenColor(Qt::black);
    prev.PenWidth(1);
    prev.BrushStyle(Qt::NoBrush);
}

int fitFont(TplPrev& prev, const QString& text, int maxWidth, int fromPt, int minPt)
{
    int pt = fromPt;
    prev.FontSize(pt);
    while (pt > minPt && prev.TextWidth(text) > maxWidth)
        prev.FontSize(--pt);
    return pt;
}

void greyCell(TplPrev& prev, int x1, int x2, int y1, int y2)
{
    prev.BrushColor(theme::kSilver);
    prev.Rectangle(x1, x2, y1, y2);
    prev.BrushStyle(Qt::NoBrush);
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

QStringList lines(const QString& text)
{
    if (text.isEmpty())
        return {};
    return text.split(QRegularExpression(QStringLiteral("\r\n|\r|\n")));
}

QString shortDate(const QDate& d)
{
    if (rec::isAbsentDate(d))
        return {};
    return d.toString(QStringLiteral("yyyy/M/d"));
}

void drawHead(TplPrev& prev, const QString& heading, const TPrtPatient& p, const QDateTime& printedAt)
{
    prev.FontSize(12);
    prev.TextRectLT(170, 560, 200, 250, heading);
    prev.FontSize(9);
    prev.TextOutRB(1930, 240, printedAt.toString(QStringLiteral("yyyy/MM/dd hh:mm:ss")));

    const int top = 250, mid = 293, bottom = 336;
    prev.RectLine(kLeft, kRight, top, bottom);
    prev.Line(kLeft, kRight, mid, mid);
    // Label cells: both rows, then the first row, then the second.
    struct TCell { int x1, x2, y1, y2; const char* text; };
    const TCell cells[] = {
        {170, 300, top, mid, "氏名"},     {170, 300, mid, bottom, "かな"},
        {610, 740, top, mid, "患者ID"},   {610, 740, mid, bottom, "住所"},
        {950, 1080, top, mid, "生年月日"}, {1420, 1600, top, mid, "年齢"},
        {1740, 1850, top, mid, "性別"},   {1580, 1680, mid, bottom, "電話"},
    };
    prev.FontSize(10);
    for (const TCell& c : cells) {
        greyCell(prev, c.x1, c.x2, c.y1, c.y2);
        prev.TextRectCC(c.x1, c.x2, c.y1, c.y2, QString::fromUtf8(c.text));
    }

    fitFont(prev, p.name, 300);
    prev.TextRectLC(310, 610, top, mid, p.name);
    fitFont(prev, p.kana, 300);
    prev.TextRectLC(310, 610, mid, bottom, p.kana);
    prev.FontSize(10);
    prev.TextRectRC(740, 940, top, mid, QString::number(p.id));
    prev.FontSize(9);
    prev.TextOut(745, 295, QStringLiteral("〒") + p.postcd);
    fitFont(prev, p.adr, 660);
    prev.TextRectLC(920, 1580, mid, bottom, p.adr);
    prev.FontSize(10);
    if (!rec::isAbsentDate(p.birth)) {
        prev.TextRectCC(1080, 1420, top, mid,
                        QStringLiteral("(") + eraText::eraYear(p.birth) + QStringLiteral(")") + shortDate(p.birth));
        prev.TextRectCC(1600, 1740, top, mid,
                        QString::number(CommonU::AgeYears(printedAt.date(), p.birth)) + QStringLiteral(" 歳"));
    }
    fitFont(prev, p.tel, 220);
    prev.TextRectCC(1680, 1930, mid, bottom, p.tel);
    prev.FontSize(10);
    const QString sex = p.sex == 0 ? QStringLiteral("男") : p.sex == 1 ? QStringLiteral("女") : QStringLiteral("不明");
    prev.TextRectCC(1850, 1930, top, mid, sex);
}

} // namespace prthead
