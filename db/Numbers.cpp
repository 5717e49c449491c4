#include "db/Numbers.h"

#include "db/Query.h"
#include "db/Transaction.h"

#include <functional>

namespace numbers {
namespace {

// Locks the scope, runs the "highest first" query and returns the next number.
int next(TConnection& conn, const QString& scope, const QString& sql, const std::function<void(TQuery&)>& bind)
{
    lockScope(conn, scope);
    TQuery q(&conn);
    q.setSql(sql);
    if (bind)
        bind(q);
    q.open();
    if (q.eof() || q.fieldAt(0, q.resultSet()->columnName(0)).isNull())
        return 1;
    return q.fieldAt(0, q.resultSet()->columnName(0)).asInteger() + 1;
}

QString key(const char* number, qint64 a, qint64 b = 0, qint64 c = 0)
{
    return QStringLiteral("KLOV.%1:%2:%3:%4").arg(QLatin1String(number)).arg(a).arg(b).arg(c);
}

// Numbers counted per patient.
int perPatient(TConnection& conn, const char* number, qint64 id, const QString& sql)
{
    return next(conn, key(number, id), sql, [id](TQuery& q) { q.setInt64(QStringLiteral("ID"), id); });
}

// Numbers counted per patient and one record number (":NO" in the query).
int perRecord(TConnection& conn, const char* number, qint64 id, int no, const QString& sql)
{
    return next(conn, key(number, id, no), sql, [=](TQuery& q) {
        q.setInt64(QStringLiteral("ID"), id).setInt(QStringLiteral("NO"), no);
    });
}

} // namespace

int nextKno(TConnection& conn)
{
    return next(conn, key("D_TAIYOU.KNO", 0),
                QStringLiteral(R"(SELECT "KNO" FROM "KLOV"."D_TAIYOU" ORDER BY "KNO" DESC LIMIT 1)"), {});
}

int nextVerno(TConnection& conn, int kno)
{
    return next(conn, key("D_TAIYOU.VERNO", kno),
                QStringLiteral(R"(SELECT "VERNO" FROM "KLOV"."D_TAIYOU" WHERE "KNO" = :KNO ORDER BY "VERNO" DESC LIMIT 1)"),
                [kno](TQuery& q) { q.setInt(QStringLiteral("KNO"), kno); });
}

int nextTaiopeRno(TConnection& conn, int kno, int verno, int ono)
{
    return next(conn, key("D_TAIOPE.RNO", kno, verno, ono),
                QStringLiteral(R"(SELECT "RNO" FROM "KLOV"."D_TAIOPE" WHERE "KNO" = :KNO AND "VERNO" = :VERNO AND "ONO" = :ONO
                    ORDER BY "RNO" DESC LIMIT 1)"),
                [=](TQuery& q) {
                    q.setInt(QStringLiteral("KNO"), kno).setInt(QStringLiteral("VERNO"), verno);
                    q.setInt(QStringLiteral("ONO"), ono);
                });
}

namespace {

// Locks KLOV.M_KANJA by `lockSql` until the end of the open transaction.
void lockKanjaTable(TConnection& conn, const QString& lockSql)
{
    if (!conn.inTransaction())
        throw ETransactionError(QStringLiteral("トランザクションの外では排他できません: M_KANJA"));
    TQuery q(&conn);
    q.setSql(lockSql);
    q.execSql();
}

} // namespace

int nextKanjaRno(TConnection& conn, qint64 id)
{
    // The mode the insert that follows takes anyway, taken before the number
    // is read: it waits for an import's lock (TKanjaRnoLock) to end.
    lockKanjaTable(conn, QStringLiteral(R"(LOCK TABLE "KLOV"."M_KANJA" IN ROW EXCLUSIVE MODE)"));
    return perPatient(conn, "M_KANJA.RNO", id,
                      QStringLiteral(R"(SELECT (COALESCE(MAX("RNO"),0)) FROM "KLOV"."M_KANJA" WHERE "ID" = :ID)"));
}

// SHARE ROW EXCLUSIVE: held by one transaction at a time, excluding every
// insert, update and delete of other sessions (they take ROW EXCLUSIVE),
// but no reader.
TKanjaRnoLock::TKanjaRnoLock(TConnection& conn) : FConn(conn)
{
    lockKanjaTable(conn, QStringLiteral(R"(LOCK TABLE "KLOV"."M_KANJA" IN SHARE ROW EXCLUSIVE MODE)"));
}

std::vector<int> TKanjaRnoLock::next(const std::vector<qint64>& ids) const
{
    // A lookup of each patient's highest number through the key, whatever
    // the planner guesses of a table filling up in this very transaction.
    TQuery q(&FConn);
    q.setSql(R"(SELECT (SELECT MAX(K."RNO") FROM "KLOV"."M_KANJA" K WHERE K."ID" = L."ID") AS "RNO"
                FROM UNNEST(CAST(:IDS AS bigint[])) WITH ORDINALITY AS L("ID", "N") ORDER BY L."N")");
    q.setInt64List(QStringLiteral("IDS"), ids);
    q.open();
    std::vector<int> out;
    out.reserve(ids.size());
    for (int i = 0; i < q.recordCount(); ++i) {
        const TField rno = q.fieldAt(i, QStringLiteral("RNO"));
        out.push_back(rno.isNull() ? 1 : rno.asInteger() + 1);
    }
    if (out.size() != ids.size())
        throw EQueryError(QStringLiteral("M_KANJA.RNO: %1 numbers for %2 patients").arg(out.size()).arg(ids.size()));
    return out;
}

// Disease and operation numbers count over every row of the patient, history
// included, so a number is never given twice.
int nextKanbyoBno(TConnection& conn, qint64 id)
{
    return perPatient(conn, "D_KANBYO.BNO", id,
                      QStringLiteral(R"(SELECT "BNO" FROM "KLOV"."D_KANBYO" WHERE "ID" = :ID ORDER BY "BNO" DESC LIMIT 1)"));
}

int nextKanbyoRno(TConnection& conn, qint64 id, int bno)
{
    return perRecord(conn, "D_KANBYO.RNO", id, bno,
                     QStringLiteral(R"(SELECT "RNO" FROM "KLOV"."D_KANBYO" WHERE "ID" = :ID AND "BNO" = :NO
                         ORDER BY "RNO" DESC LIMIT 1)"));
}

int nextKanopeOno(TConnection& conn, qint64 id)
{
    return perPatient(conn, "D_KANOPE.ONO", id,
                      QStringLiteral(R"(SELECT "ONO" FROM "KLOV"."D_KANOPE" WHERE "ID" = :ID ORDER BY "ONO" DESC LIMIT 1)"));
}

int nextKanopeRno(TConnection& conn, qint64 id, int ono)
{
    return perRecord(conn, "D_KANOPE.RNO", id, ono,
                     QStringLiteral(R"(SELECT "RNO" FROM "KLOV"."D_KANOPE" WHERE "ID" = :ID AND "ONO" = :NO
                         ORDER BY "RNO" DESC LIMIT 1)"));
}

int nextAllergyRno(TConnection& conn, qint64 id)
{
    return perPatient(conn, "M_ALLERGY.RNO", id,
                      QStringLiteral(R"(SELECT "RNO" FROM "KLOV"."M_ALLERGY" WHERE "ID" = :ID ORDER BY "RNO" DESC LIMIT 1)"));
}

int nextDeviceRno(TConnection& conn, qint64 id)
{
    return perPatient(conn, "M_DEVICE.RNO", id,
                      QStringLiteral(R"(SELECT "RNO" FROM "KLOV"."M_DEVICE" WHERE "ID" = :ID ORDER BY "RNO" DESC LIMIT 1)"));
}

int nextMessno(TConnection& conn)
{
    return next(conn, key("D_MESS.MESSNO", 0),
                QStringLiteral(R"(SELECT "MESSNO" FROM "KLOV"."D_MESS" ORDER BY "MESSNO" DESC LIMIT 1)"), {});
}

int nextTemplateNo(TConnection& conn, const QString& userId)
{
    return next(conn, QStringLiteral("KLOV.M_MYTEMPLE.MTNO:") + userId,
                QStringLiteral(R"(SELECT "MTNO" FROM "KLOV"."M_MYTEMPLE" WHERE "USERID" = :USERID ORDER BY "MTNO" DESC LIMIT 1)"),
                [&userId](TQuery& q) { q.setText(QStringLiteral("USERID"), userId, 24); });
}

QString versionScope(int kno, int verno) { return key("D_TAIYOU", kno, verno); }

} // namespace numbers
