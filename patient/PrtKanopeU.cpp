#include "patient/PrtKanopeU.h"

#include "app/Globals.h"
#include "app/UntDM.h"
#include "controls/PlPrev.h"
#include "db/Query.h"
#include "app/SjisText.h"

#include <algorithm>

using namespace prtkit;

namespace {
const std::vector<int> kCols = {170, 350, 850, 950, 1320, 1930};
constexpr int kRowMin = 48;
} // namespace

std::vector<TrecOpe> ReadKanopePrintData(qint64 id)
{
    TQuery q(&dm().ADOCPOST);
    q.setSql(R"(SELECT D.*, O1."USERNM" AS "OPEDR1NM", O2."USERNM" AS "OPEDR2NM",
                J1."USERNM" AS "JYO1NM", J2."USERNM" AS "JYO2NM", IU."USERNM" AS "INSUNM", DU."USERNM" AS "DELUNM"
                FROM "KLOV"."D_KANOPE" D
                LEFT JOIN "KLOV"."M_USER" O1 ON D."OPEDR1" = O1."USERID"
                LEFT JOIN "KLOV"."M_USER" O2 ON D."OPEDR2" = O2."USERID"
                LEFT JOIN "KLOV"."M_USER" J1 ON D."JYO1" = J1."USERID"
                LEFT JOIN "KLOV"."M_USER" J2 ON D."JYO2" = J2."USERID"
                LEFT JOIN "KLOV"."M_USER" IU ON D."INSUSERID" = IU."USERID"
                LEFT JOIN "KLOV"."M_USER" DU ON D."DELUSERID" = DU."USERID"
                WHERE D."ID" = :ID AND D."DELKBN" = 0 ORDER BY D."OPEDTE")");
    q.setInt64(QStringLiteral("ID"), id);
    q.open();
    std::vector<TrecOpe> out;
    const auto s = [&q](const char* f, int bytes) { return sjis::cutToBytes(q.field(QLatin1String(f)).asString(), bytes); };
    for (; !q.eof(); q.next()) {
        TrecOpe r;
        r.OPEDTE = q.field(QStringLiteral("OPEDTE")).isNull() ? QDate() : q.field(QStringLiteral("OPEDTE")).asDate();
        r.OPENM = s("OPENM", 200);
        r.KCODE = s("KCODE", 12);
        r.OPEDR1NM = s("OPEDR1NM", 64);
        r.OPEDR2NM = s("OPEDR2NM", 64);
        r.JYO1NM = s("JYO1NM", 64);
        r.JYO2NM = s("JYO2NM", 64);
        r.COMM = s("COMM", 200);
        out.push_back(r);
    }
    return out;
}

QString KanopeDoctorsText(const TrecOpe& r)
{
    QString t = r.OPEDR1NM;
    if (!r.OPEDR2NM.isEmpty())
        t += QStringLiteral(" ") + r.OPEDR2NM;
    if (!r.JYO1NM.isEmpty() || !r.JYO2NM.isEmpty()) {
        t += QStringLiteral("/") + r.JYO1NM;
        if (!r.JYO2NM.isEmpty())
            t += QStringLiteral(" ") + r.JYO2NM;
    }
    return t;
}

void DrawKanope(TplPrev& prev, const TPrtPatient& patient, const std::vector<TrecOpe>& aryData,
                const QDateTime& printedAt)
{
    drawHead(prev, QStringLiteral("登録手術情報一覧"), patient, printedAt);

    // Section box and heading row, on the first page only.
    prev.FontSize(10);
    greyCell(prev, 170, 350, 360, 408);
    prev.TextRectCC(170, 350, 360, 408, QStringLiteral("手術・手技"));
    greyCell(prev, kLeft, kRight, 408, 456);
    columnRules(prev, kCols, 408, 456);
    prev.TextRectCC(180, 350, 408, 456, QStringLiteral("実施日"));
    prev.TextRectLC(360, 850, 408, 456, QStringLiteral("内容"));
    prev.TextRectCC(850, 950, 408, 456, QStringLiteral("CODE"));
    prev.TextRectLC(960, 1320, 408, 456, QStringLiteral("術者/助手"));
    prev.TextRectLC(1330, 1930, 408, 456, QStringLiteral("コメント"));
    int y = 456;

    for (const TrecOpe& r : aryData) {
        const int top = rowStart(prev, y);
        const int cellBottom = top + kRowMin;
        prev.FontSize(10);
        prev.TextRectCC(170, 350, top, cellBottom, shortDate(r.OPEDTE));
        fitFont(prev, r.KCODE, 100);
        prev.TextRectCC(850, 950, top, cellBottom, r.KCODE);
        const QString doctors = KanopeDoctorsText(r);
        fitFont(prev, doctors, 365);
        prev.TextRectLC(955, 1320, top, cellBottom, doctors);

        // Name and comment flow side by side; when either passes the foot
        // both continue on the next page.
        std::vector<TFlow> flows{{lines(r.OPENM), 350, 850, 9}, {lines(r.COMM), 1325, 1925, 9}};
        y = flowRow(prev, flows, top, top + kRowMin, kRowMin, kCols);
    }
}

bool PrtKanope(QWidget* parent, TplPrev& prev, TplSetPrinter& setPrinter, qint64 id)
{
    const std::vector<TrecOpe> aryData = ReadKanopePrintData(id);
    return recordDocument(parent, prev, setPrinter, id, !aryData.empty(), QStringLiteral("手術情報印刷"),
                          [&](const TPrtPatient& patient, const QDateTime& printedAt) {
                              DrawKanope(prev, patient, aryData, printedAt);
                          });
}
