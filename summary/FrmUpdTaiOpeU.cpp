#include "summary/FrmUpdTaiOpeU.h"

#include "app/Globals.h"
#include "controls/DBGrid.h"
#include "db/Numbers.h"
#include "db/Query.h"
#include "db/Records.h"

TFrmUpdTaiOpe::TFrmUpdTaiOpe(QWidget* parent)
    : TFrmTaiPickBase(parent, QStringLiteral("退院サマリ記載対象手術・手技登録"),
                      QStringLiteral("入院期間外の手術・手技もすべて表示する"))
{
    setObjectName(QStringLiteral("TFrmUpdTaiOpe"));
}

QList<TGridColumn> TFrmUpdTaiOpe::gridColumns() const
{
    using C = TGridColumn;
    return {C::fixed(QStringLiteral("実施日"), QStringLiteral("OPEDTE"), 90),
            C::fixed(QStringLiteral("手術・処置名"), QStringLiteral("OPENM"), 220),
            C::fixed(QStringLiteral("Kコード"), QStringLiteral("KCODE"), 60),
            C::fixed(QStringLiteral("術者１"), QStringLiteral("OPEDR1NM"), 80),
            C::fixed(QStringLiteral("術者２"), QStringLiteral("OPEDR2NM"), 80),
            C::fixed(QStringLiteral("助手１"), QStringLiteral("JYO1NM"), 80),
            C::fixed(QStringLiteral("助手２"), QStringLiteral("JYO2NM"), 80),
            C::rest(QStringLiteral("コメント"), QStringLiteral("COMM"), 60)};
}

QString TFrmUpdTaiOpe::listSql(bool all) const
{
    QString sql = QStringLiteral(R"(SELECT D.*, O."KNO",
          O1."USERNM" AS "OPEDR1NM", O2."USERNM" AS "OPEDR2NM", J1."USERNM" AS "JYO1NM", J2."USERNM" AS "JYO2NM"
        FROM "KLOV"."D_KANOPE" D
        LEFT JOIN "KLOV"."D_TAIOPE" O ON O."KNO" = :KNO AND O."VERNO" = :VERNO AND O."DELKBN" = 0 AND D."ONO" = O."ONO"
        LEFT JOIN "KLOV"."M_USER" O1 ON D."OPEDR1" = O1."USERID"
        LEFT JOIN "KLOV"."M_USER" O2 ON D."OPEDR2" = O2."USERID"
        LEFT JOIN "KLOV"."M_USER" J1 ON D."JYO1" = J1."USERID"
        LEFT JOIN "KLOV"."M_USER" J2 ON D."JYO2" = J2."USERID"
        WHERE D."ID" = :ID AND D."DELKBN" = 0)");
    if (!all)
        sql += QStringLiteral(R"( AND TO_CHAR(D."OPEDTE",'YYYYMMDD') BETWEEN :NDTE AND :TDTE)");
    return sql + QStringLiteral(R"( ORDER BY D."OPEDTE" DESC)");
}

void TFrmUpdTaiOpe::bindList(TQuery& q) const
{
    q.setInt64(QStringLiteral("ID"), FID).setInt(QStringLiteral("KNO"), FKNO).setInt(QStringLiteral("VERNO"), FVERNO);
    if (q.paramNames().contains(QStringLiteral("NDTE"))) {
        q.setText(QStringLiteral("NDTE"), rec::yyyymmdd(FNDTE), 8);
        q.setText(QStringLiteral("TDTE"), rec::rangeEnd(FTDTE), 8);
    }
}

bool TFrmUpdTaiOpe::attached(int recNo) const { return !ADOQMei->fieldAt(recNo, QStringLiteral("KNO")).isNull(); }

void TFrmUpdTaiOpe::focusFirst() { dbgMei->setFocus(); }

QString TFrmUpdTaiOpe::emptyMessage() const
{
    return QStringLiteral("この患者で登録されている手術・手技がありません。まずは手術・手技登録を行ってください。");
}

QString TFrmUpdTaiOpe::attachedMessage() const { return QStringLiteral("この手術・手技は既に登録されています。"); }

QString TFrmUpdTaiOpe::attachCurrent(TConnection& conn)
{
    const int ono = ADOQMei->field(QStringLiteral("ONO")).asInteger();
    // Rows taken off the version count, so an operation attached again gets a new number.
    const int rno = numbers::nextTaiopeRno(conn, FKNO, FVERNO, ono);
    TQuery q(&conn);
    // The operation must still be live and not on the version, as listed.
    q.setSql(R"(INSERT INTO "KLOV"."D_TAIOPE" ("KNO", "VERNO", "ONO", "RNO", "DELKBN", "INSDTM", "INSUSERID")
        SELECT :KNO, :VERNO, :ONO, :RNO, 0, DATE_TRUNC('second',NOW()), :INSUSERID
        WHERE EXISTS (SELECT 1 FROM "KLOV"."D_KANOPE" WHERE "ID" = :ID AND "ONO" = :ONO AND "DELKBN" = 0)
          AND NOT EXISTS (SELECT 1 FROM "KLOV"."D_TAIOPE" WHERE "KNO" = :KNO AND "VERNO" = :VERNO AND "ONO" = :ONO
                            AND "DELKBN" = 0))");
    q.setInt("KNO", FKNO).setInt("VERNO", FVERNO).setInt("ONO", ono).setInt("RNO", rno);
    q.setText("INSUSERID", G().user.userId, 24).setInt64("ID", FID);
    q.execSqlExpect(1);
    return {};
}
