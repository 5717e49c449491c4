#include "messages/PrtMessU.h"

#include "controls/PlPrev.h"
#include "controls/PlSetPrinter.h"
#include "patient/PrintKit.h"

namespace {

using namespace prtkit;

constexpr int kBoxLeft = 180;
constexpr int kBoxRight = 1920;

// One row of the sender and recipient table.
void partyRow(TplPrev& prev, int y1, int y2, const QString& role, const QString& id, const QString& name)
{
    label(prev, 180, 350, y1, y2, role, 10);
    label(prev, 350, 440, y1, y2, QStringLiteral("ID"), 10);
    label(prev, 700, 870, y1, y2, QStringLiteral("氏名"), 10);
    fitted(prev, &TplPrev::TextRectLC, 450, 700, y1, y2, id, 10);
    fitted(prev, &TplPrev::TextRectLC, 880, 1920, y1, y2, name, 10);
}

} // namespace

void DrawMess(TplPrev& prev, TplSetPrinter& setPrinter, const TrecMess& m)
{
    beginDocument(prev, setPrinter, QStringLiteral("連絡メッセージ印刷"));
    prev.FontSize(9);
    prev.TextOutLB(180, 240, QStringLiteral("№") + QString::number(m.MESSNO));
    prev.TextOutLB(380, 240, QStringLiteral("[送信日時:") + m.SDTM.toString(QStringLiteral("yyyy/MM/dd hh:mm:ss"))
                                 + QStringLiteral("]"));
    if (m.urgent) {
        prev.FontSize(11);
        prev.RectLine(1750, 1920, 180, 240);
        prev.TextRectCC(1750, 1920, 180, 240, QStringLiteral("至　急"));
    }

    prev.FontSize(10);
    partyRow(prev, 250, 310, QStringLiteral("送信者"), m.SUSERID, m.SUSERNM);
    partyRow(prev, 310, 370, QStringLiteral("受信者"), m.RUSERID, m.RUSERNM);
    prev.RectLine(kBoxLeft, kBoxRight, 250, 370);
    columnRules(prev, {350, 440, 700, 870}, 250, 370);
    prev.Line(kBoxLeft, kBoxRight, 310, 310);

    label(prev, 180, 350, 430, 490, QStringLiteral("件　名"), 10);
    fitted(prev, &TplPrev::TextRectLC, 360, 1920, 430, 490, m.KENMEI, 10);
    prev.RectLine(kBoxLeft, kBoxRight, 430, 490);
    columnRules(prev, {350}, 430, 490);

    TFrameFlow frame;
    frame.left = kBoxLeft;
    frame.right = kBoxRight;
    frame.xl = 190;
    frame.xr = 1910;
    frame.pad = 10;
    frame.textBottom = 2780;
    frame.rowHeight = 42;
    QStringList rows = lines(m.NAIYO);
    int top = 490;
    const int end = flowFrame(prev, rows, top, frame);
    // At least 60 deep; rows reaching that close 10 below the last.
    const int bottom = end + 5 >= top + 60 ? end + 10 : top + 60;
    closeFrame(prev, frame, top, bottom);
    prev.EndDoc();
}
