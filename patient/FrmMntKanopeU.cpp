#include "patient/FrmMntKanopeU.h"

#include "app/Globals.h"
#include "controls/DBGrid.h"
#include "db/HistoryRows.h"
#include "db/Query.h"
#include "db/Records.h"
#include "patient/FrmUpdKanopeU.h"
#include "patient/PrtKanopeU.h"

TFrmMntKanope::TFrmMntKanope(QWidget* parent) : TFrmPatientRecordList(parent)
{
    setObjectName(QStringLiteral("TFrmMntKanope"));
    setWindowTitle(QStringLiteral("患者手術・処置メンテナンス"));
}

QString TFrmMntKanope::listSql(bool history) const
{
    QString sql = QStringLiteral(R"(SELECT D.*, O1."USERNM" AS "OPEDR1NM", O2."USERNM" AS "OPEDR2NM",
        J1."USERNM" AS "JYO1NM", J2."USERNM" AS "JYO2NM", IU."USERNM" AS "INSUNM", DU."USERNM" AS "DELUNM",
        %1 AS "SKEY"
        FROM "KLOV"."D_KANOPE" D
        LEFT JOIN "KLOV"."M_USER" O1 ON D."OPEDR1" = O1."USERID"
        LEFT JOIN "KLOV"."M_USER" O2 ON D."OPEDR2" = O2."USERID"
        LEFT JOIN "KLOV"."M_USER" J1 ON D."JYO1" = J1."USERID"
        LEFT JOIN "KLOV"."M_USER" J2 ON D."JYO2" = J2."USERID"
        LEFT JOIN "KLOV"."M_USER" IU ON D."INSUSERID" = IU."USERID"
        LEFT JOIN "KLOV"."M_USER" DU ON D."DELUSERID" = DU."USERID"
        WHERE D."ID" = :ID)")
                      .arg(rec::skeyOperation(QStringLiteral("D")));
    if (!history)
        sql += QStringLiteral(R"( AND D."DELKBN" = 0)");
    sql += QStringLiteral(R"( ORDER BY D."OPEDTE")");
    return sql;
}

QList<TGridColumn> TFrmMntKanope::gridColumns() const
{
    using C = TGridColumn;
    return {C::fixed(QStringLiteral("№"), QStringLiteral("ONO"), 32, Qt::AlignRight),
            C::fixed(QStringLiteral("実施日"), QStringLiteral("OPEDTE"), 100),
            C::fixed(QStringLiteral("手術・処置名"), QStringLiteral("OPENM"), 200),
            C::fixed(QStringLiteral("Kコード"), QStringLiteral("KCODE"), 100),
            C::fixed(QStringLiteral("術者１"), QStringLiteral("OPEDR1NM"), 120),
            C::fixed(QStringLiteral("術者２"), QStringLiteral("OPEDR2NM"), 120),
            C::fixed(QStringLiteral("助手１"), QStringLiteral("JYO1NM"), 120),
            C::fixed(QStringLiteral("助手２"), QStringLiteral("JYO2NM"), 120),
            C::rest(QStringLiteral("コメント"), QStringLiteral("COMM"), 200),
            C::fixed(QStringLiteral("更新日時"), QStringLiteral("INSDTM"), 150),
            C::fixed(QStringLiteral("更新者"), QStringLiteral("INSUNM"), 100),
            C::fixed(QStringLiteral("削除日時"), QStringLiteral("DELDTM"), 150),
            C::fixed(QStringLiteral("削除者"), QStringLiteral("DELUNM"), 100)};
}

std::optional<QVariant> TFrmMntKanope::runEditor(qint64 id, bool newRecord)
{
    TFrmUpdKanope dlg(this);
    dlg.FID = id;
    if (!newRecord) {
        dlg.FONO = query()->field(QStringLiteral("ONO")).asInteger();
        dlg.FRNO = query()->field(QStringLiteral("RNO")).asInteger();
    }
    const int result = runModal(dlg);
    return precord::editorOutcome(
        result, QStringLiteral("%1%2").arg(dlg.FONO, 5, 10, QLatin1Char('0')).arg(dlg.FRNO, 4, 10, QLatin1Char('0')));
}

QString TFrmMntKanope::deleteQuestion() const
{
    return QStringLiteral("削除前に印刷した退院サマリがあった場合、今後の印刷と差異が出てしまいます。\r\n「")
           + query()->field(QStringLiteral("OPENM")).asString() + QStringLiteral("」を削除してよろしいですか？");
}

void TFrmMntKanope::deleteCurrent(TConnection& conn)
{
    retireRow(conn, THistoryTable::Kanope, query()->field(QStringLiteral("ID")).asInt64(),
              query()->field(QStringLiteral("ONO")).asInteger(), query()->field(QStringLiteral("RNO")).asInteger(),
              G().user.userId);
}

bool TFrmMntKanope::drawPrint(qint64 id) { return PrtKanope(this, *plPrev1, *plSetPrinter1, id); }

void OpenKanopeList(QWidget* parent, qint64 id)
{
    TFrmMntKanope dlg(parent);
    dlg.FID = id;
    dlg.exec();
}
