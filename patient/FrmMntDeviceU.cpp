#include "patient/FrmMntDeviceU.h"

#include "app/Globals.h"
#include "controls/DBGrid.h"
#include "db/HistoryRows.h"
#include "db/Query.h"
#include "patient/FrmUpdDeviceU.h"
#include "patient/PrtEntriesU.h"

TFrmMntDevice::TFrmMntDevice(QWidget* parent) : TFrmPatientRecordList(parent)
{
    setObjectName(QStringLiteral("TFrmMntDevice"));
    setWindowTitle(QStringLiteral("デバイス"));
}

QString TFrmMntDevice::listSql(bool history) const
{
    QString sql = QStringLiteral(R"(SELECT DV.*, IU."USERNM" AS "INSUNM", DU."USERNM" AS "DELUNM"
        FROM "KLOV"."M_DEVICE" DV
        LEFT JOIN "KLOV"."M_USER" IU ON DV."INSUSERID" = IU."USERID"
        LEFT JOIN "KLOV"."M_USER" DU ON DV."DELUSERID" = DU."USERID"
        WHERE DV."ID" = :ID)");
    if (!history)
        sql += QStringLiteral(R"( AND DV."DELKBN" = 0)");
    return sql;
}

QList<TGridColumn> TFrmMntDevice::gridColumns() const
{
    using C = TGridColumn;
    return {C::fixed(QStringLiteral("№"), QStringLiteral("RNO"), 32, Qt::AlignRight),
            C::fixed(QStringLiteral("登録日"), QStringLiteral("ADDDTE"), 100),
            C::fixed(QStringLiteral("デバイス"), QStringLiteral("DEVICE"), 200),
            C::rest(QStringLiteral("コメント"), QStringLiteral("COMM"), 200),
            C::fixed(QStringLiteral("更新日時"), QStringLiteral("INSDTM"), 144),
            C::fixed(QStringLiteral("更新者"), QStringLiteral("INSUNM"), 120),
            C::fixed(QStringLiteral("削除日時"), QStringLiteral("DELDTM"), 144),
            C::fixed(QStringLiteral("削除者"), QStringLiteral("DELUNM"), 120)};
}

std::optional<QVariant> TFrmMntDevice::runEditor(qint64 id, bool newRecord)
{
    TFrmUpdDevice dlg(this);
    dlg.FID = id;
    if (!newRecord)
        dlg.FRNO = query()->field(QStringLiteral("RNO")).asInteger();
    const int result = runModal(dlg);
    return precord::editorOutcome(result, dlg.FRNO);
}

QString TFrmMntDevice::deleteQuestion() const
{
    return QStringLiteral("削除前に印刷した退院サマリがあった場合、今後の印刷と差異が出てしまいます。\r\n「")
        + query()->field(QStringLiteral("DEVICE")).asString() + QStringLiteral("」を削除してよろしいですか？");
}

void TFrmMntDevice::deleteCurrent(TConnection& conn)
{
    retireRow(conn, THistoryTable::Device, query()->field(QStringLiteral("ID")).asInt64(), 0,
              query()->field(QStringLiteral("RNO")).asInteger(), G().user.userId);
}

bool TFrmMntDevice::drawPrint(qint64 id) { return PrtDevice(this, *plPrev1, *plSetPrinter1, id); }

void OpenDeviceList(QWidget* parent, qint64 id)
{
    TFrmMntDevice dlg(parent);
    dlg.FID = id;
    dlg.exec();
}
