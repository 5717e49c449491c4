#include "patient/PrtKanbyoU.h"

#include "app/Globals.h"
#include "app/UntDM.h"
#include "controls/PlPrev.h"
#include "db/Query.h"
#include "db/Records.h"
#include "app/SjisText.h"

#include <algorithm>

using namespace prtkit;

namespace {
const std::vector<int> kCols = {170, 272, 710, 830, 1010, 1180, 1300, 1930};
constexpr int kRowMin = 43;
constexpr int kNameRow = 21;
} // namespace

std::vector<TrecData> ReadKanbyoPrintData(qint64 id)
{
    TQuery q(&dm().ADOCPOST);
    q.setSql(R"(SELECT D.*, M."ICD102013" FROM "KLOV"."D_KANBYO" D
                LEFT JOIN "KLOV"."M_NMAIN" M ON D."BKNO" = M."BKNO"
                WHERE D."ID" = :ID AND D."DELKBN" = 0 ORDER BY D."BNO")");
    q.setInt64(QStringLiteral("ID"), id);
    q.open();
    std::vector<TrecData> out;
    for (; !q.eof(); q.next()) {
        TrecData r;
        r.BNO = q.field(QStringLiteral("BNO")).asInteger();
        r.BYONM = sjis::cutToBytes(q.field(QStringLiteral("BYONM")).asString(), 100);
        r.DISTKBN = q.field(QStringLiteral("DISTKBN")).asInteger();
        r.ICD10 = q.field(QStringLiteral("ICD102013")).asString().left(5);
        r.HJIKI = q.field(QStringLiteral("HJIKI")).asString().left(8);
        r.ADDDTE = q.field(QStringLiteral("ADDDTE")).isNull() ? QDate() : q.field(QStringLiteral("ADDDTE")).asDate();
        r.TENKI = q.field(QStringLiteral("TENKI")).asInteger();
        r.BIKO = sjis::cutToBytes(q.field(QStringLiteral("BIKO")).asString(), 128);
        out.push_back(r);
    }
    return out;
}

void DrawKanbyo(TplPrev& prev, const TPrtPatient& patient, const std::vector<TrecData>& aryData,
                const QDateTime& printedAt)
{
    drawHead(prev, QStringLiteral("患者病名印刷"), patient, printedAt);

    // Heading row, on the first page only.
    int y = kTableTop;
    const int hb = y + kRowMin;
    greyCell(prev, kLeft, kRight, y, hb);
    columnRules(prev, kCols, y, hb);
    prev.FontSize(10);
    prev.TextRectCC(170, 272, y, hb, QStringLiteral("№"));
    prev.TextRectLC(277, 710, y, hb, QStringLiteral("病名"));
    prev.TextRectCC(710, 830, y, hb, QStringLiteral("ICD-10"));
    prev.TextRectCC(830, 1010, y, hb, QStringLiteral("発生時期"));
    prev.TextRectLC(1015, 1180, y, hb, QStringLiteral("登録日"));
    prev.TextRectCC(1180, 1300, y, hb, QStringLiteral("転帰"));
    prev.TextRectLC(1305, 1930, y, hb, QStringLiteral("コメント"));
    y = hb;

    for (const TrecData& r : aryData) {
        const int top = rowStart(prev, y);
        const int cellBottom = top + kRowMin;

        prev.FontSize(10);
        prev.TextRectRC(170, 260, top, cellBottom, QString::number(r.BNO));

        const QString name = r.BYONM + (r.DISTKBN == 1 ? QStringLiteral("疑い") : QString());
        int nameEnd = top;
        if (diseaseNameSize(prev, name) == 6) {
            QStringList nameLines{name};
            nameEnd = prev.StringListOut(nameLines, foJustify, 275, 708, top + 1, 2970, kNameRow, 0);
        } else {
            prev.TextRectLC(277, 708, top, cellBottom, name);
        }

        prev.FontSize(10);
        prev.TextRectCC(710, 830, top, cellBottom, r.ICD10);
        const QString onset = rec::hjikiPrintText(r.HJIKI);
        fitFont(prev, onset, 180);
        prev.TextRectCC(830, 1010, top, cellBottom, onset);
        prev.FontSize(10);
        prev.TextRectCC(1010, 1180, top, cellBottom, shortDate(r.ADDDTE));
        prev.TextRectCC(1180, 1300, top, cellBottom, rec::tenkiName(r.TENKI));

        // Remarks, continuing on the next page when they pass the foot.
        std::vector<TFlow> flows{{lines(r.BIKO), 1305, 1925, 9}};
        y = flowRow(prev, flows, top, std::max(nameEnd, top + kRowMin), kRowMin, kCols);
    }
}

bool PrtKanbyo(QWidget* parent, TplPrev& prev, TplSetPrinter& setPrinter, qint64 id)
{
    const std::vector<TrecData> aryData = ReadKanbyoPrintData(id);
    return recordDocument(parent, prev, setPrinter, id, !aryData.empty(), QStringLiteral("患者病名印刷"),
                          [&](const TPrtPatient& patient, const QDateTime& printedAt) {
                              DrawKanbyo(prev, patient, aryData, printedAt);
                          });
}
