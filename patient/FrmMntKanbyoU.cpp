#include "patient/FrmMntKanbyoU.h"

#include "app/Globals.h"
#include "app/MsgBox.h"
#include "app/UntDM.h"
#include "controls/DBGrid.h"
#include "db/HistoryRows.h"
#include "db/Query.h"
#include "db/Records.h"
#include "patient/FrmUpdKanbyoU.h"
#include "patient/PrtKanbyoU.h"

TFrmMntKanbyo::TFrmMntKanbyo(QWidget* parent) : TFrmPatientRecordList(parent)
{
    setObjectName(QStringLiteral("TFrmMntKanbyo"));
    setWindowTitle(QStringLiteral("患者病名メンテナンス"));
}

QString TFrmMntKanbyo::listSql(bool history) const
{
    QString sql = QStringLiteral(R"(SELECT B.*, M."ICD102013", %1 AS "SKEY", IU."USERNM" AS "INSUNM", DU."USERNM" AS "DELUNM",
        %2 AS "TENKIN", %3 AS "HJIKINM", %4 AS "DISTKBNN", %5 AS "ENDDTEN"
        FROM "KLOV"."D_KANBYO" B
        LEFT JOIN "KLOV"."M_NMAIN" M ON B."BKNO" = M."BKNO"
        LEFT JOIN "KLOV"."M_USER" IU ON B."INSUSERID" = IU."USERID"
        LEFT JOIN "KLOV"."M_USER" DU ON B."DELUSERID" = DU."USERID"
        WHERE B."ID" = :ID)")
                      .arg(rec::skeyDisease(QStringLiteral("B")), rec::sqlTenkiN(QStringLiteral("B")),
                           rec::sqlHjikiNm(QStringLiteral("B")), rec::sqlDistKbnN(QStringLiteral("B")),
                           rec::sqlDateN(QStringLiteral("ENDDTE"), QStringLiteral("B")));
    if (!history)
        sql += QStringLiteral(R"( AND B."DELKBN" = 0)");
    return sql;
}

QList<TGridColumn> TFrmMntKanbyo::gridColumns() const
{
    using C = TGridColumn;
    return {C::fixed(QStringLiteral("№"), QStringLiteral("BNO"), 32, Qt::AlignRight),
            C::fixed(QStringLiteral("登録日"), QStringLiteral("ADDDTE"), 100),
            C::fixed(QStringLiteral("病名管理番号"), QStringLiteral("BKNO"), 100),
            C::fixed(QStringLiteral("ICD10"), QStringLiteral("ICD102013"), 100),
            C::fixed(QStringLiteral("病名"), QStringLiteral("BYONM"), 200),
            C::fixed(QStringLiteral("疑い"), QStringLiteral("DISTKBNN"), 60, Qt::AlignCenter),
            C::fixed(QStringLiteral("発生時期"), QStringLiteral("HJIKINM"), 120),
            C::fixed(QStringLiteral("終了日"), QStringLiteral("ENDDTEN"), 120),
            C::fixed(QStringLiteral("転帰"), QStringLiteral("TENKIN"), 86, Qt::AlignCenter),
            C::rest(QStringLiteral("備考"), QStringLiteral("BIKO"), 60),
            C::fixed(QStringLiteral("更新日時"), QStringLiteral("INSDTM"), 144),
            C::fixed(QStringLiteral("更新者"), QStringLiteral("INSUNM"), 120),
            C::fixed(QStringLiteral("削除日時"), QStringLiteral("DELDTM"), 144),
            C::fixed(QStringLiteral("削除者"), QStringLiteral("DELUNM"), 120)};
}

std::optional<QVariant> TFrmMntKanbyo::runEditor(qint64 id, bool newRecord)
{
    TFrmUpdKanbyo dlg(this);
    dlg.FID = id;
    if (!newRecord) {
        dlg.FBNO = query()->field(QStringLiteral("BNO")).asInteger();
        dlg.FRNO = query()->field(QStringLiteral("RNO")).asInteger();
    }
    const int result = runModal(dlg);
    return precord::editorOutcome(
        result, QStringLiteral("%1%2").arg(dlg.FBNO, 5, 10, QLatin1Char('0')).arg(dlg.FRNO, 4, 10, QLatin1Char('0')));
}

bool TFrmMntKanbyo::deleteAllowed()
{
    TQuery q(&dm().ADOCPOST);
    q.setSql(R"(SELECT * FROM "KLOV"."D_TAIBYO" WHERE "KNO" IN (SELECT "KNO" FROM "KLOV"."D_TAIYOU" WHERE "ID" = :ID)
                AND "BNO" = :BNO ORDER BY "KNO")");
    q.setInt64(QStringLiteral("ID"), query()->field(QStringLiteral("ID")).asInt64());
    q.setInt(QStringLiteral("BNO"), query()->field(QStringLiteral("BNO")).asInteger());
    q.open();
    if (q.eof())
        return true;
    msg::warning(this, QStringLiteral("本病名を使用して作成した退院サマリがあるため削除できません[管理番号:")
                           + QString::number(q.field(QStringLiteral("KNO")).asInteger()) + QStringLiteral("]"));
    return false;
}

QString TFrmMntKanbyo::deleteQuestion() const
{
    return QStringLiteral("「") + query()->field(QStringLiteral("BYONM")).asString() + QStringLiteral("」を削除してよろしいですか？");
}

void TFrmMntKanbyo::deleteCurrent(TConnection& conn)
{
    retireRow(conn, THistoryTable::Kanbyo, query()->field(QStringLiteral("ID")).asInt64(),
              query()->field(QStringLiteral("BNO")).asInteger(), query()->field(QStringLiteral("RNO")).asInteger(),
              G().user.userId);
}

bool TFrmMntKanbyo::drawPrint(qint64 id) { return PrtKanbyo(this, *plPrev1, *plSetPrinter1, id); }

void OpenKanbyoList(QWidget* parent, qint64 id)
{
    TFrmMntKanbyo dlg(parent);
    dlg.FID = id;
    dlg.exec();
}
