#include "patient/PrtEntriesU.h"

#include "app/Globals.h"
#include "app/UntDM.h"
#include "db/Query.h"
#include "patient/PrintKit.h"

using namespace prtkit;

namespace {
template <class Row>
using TTable = int (*)(TplPrev&, int, const std::vector<Row>&);

template <class Row>
bool recordEntries(QWidget* parent, TplPrev& prev, TplSetPrinter& setPrinter, qint64 id, const QString& title,
                   const QString& heading, const std::vector<Row>& rows, TTable<Row> table)
{
    return recordDocument(parent, prev, setPrinter, id, !rows.empty(), title,
                          [&](const TPrtPatient& patient, const QDateTime& printedAt) {
                              drawHead(prev, heading, patient, printedAt);
                              // The table leaves its usual gap above itself.
                              table(prev, kTableTop - 20, rows);
                          });
}
} // namespace

bool PrtAllergy(QWidget* parent, TplPrev& prev, TplSetPrinter& setPrinter, qint64 id)
{
    TQuery q(&dm().ADOCPOST);
    return recordEntries(parent, prev, setPrinter, id, QStringLiteral("アレルギー印刷"),
                         QStringLiteral("登録アレルギー一覧"), readAllergies(q, id), &allergyTable);
}

bool PrtDevice(QWidget* parent, TplPrev& prev, TplSetPrinter& setPrinter, qint64 id)
{
    TQuery q(&dm().ADOCPOST);
    return recordEntries(parent, prev, setPrinter, id, QStringLiteral("デバイス印刷"),
                         QStringLiteral("登録デバイス一覧"), readDevices(q, id), &deviceTable);
}
