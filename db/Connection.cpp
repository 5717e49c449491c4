#include "db/Connection.h"

#include "db/Errors.h"

#include <libpq-fe.h>

void PgResultDeleter::operator()(pg_result* r) const { PQclear(r); }
void TConnection::Deleter::operator()(pg_conn* c) const { PQfinish(c); }

TConnection::TConnection() = default;
TConnection::~TConnection() = default;

namespace {
bool isConninfo(const QString& source)
{
    return source.contains(QLatin1Char('=')) || source.startsWith(QLatin1String("postgres"));
}

// Oid of each parameter type as libpq wants it.
Oid oidOf(TParamType t)
{
    switch (t) {
    case TParamType::Text: return 25;       // text
    case TParamType::Int32: return 23;      // int4
    case TParamType::Int64: return 20;      // int8
    case TParamType::DateTime: return 1114; // timestamp
    case TParamType::Float: return 701;     // float8
    }
    return 0;
}
} // namespace

void TConnection::open(const QString& dataSource, const QString& password)
{
    close();
    const QByteArray source = dataSource.trimmed().toUtf8();
    const QByteArray pass = password.toUtf8();
    const QByteArray user = userName().toUtf8();
    // The source is handed over as a whole value, never pasted into a string
    // with the password: "dbname" with expand_dbname takes a conninfo or URI.
    const char* keys[] = {isConninfo(dataSource) ? "dbname" : "service", "user", "password",
                          "client_encoding", "connect_timeout", nullptr};
    const char* vals[] = {source.constData(), user.constData(), pass.constData(), "UTF8", "10",
                          nullptr};
    std::unique_ptr<pg_conn, Deleter> conn(PQconnectdbParams(keys, vals, 1));
    if (!conn)
        throw EConnectionError(QStringLiteral("接続できません。"));
    if (PQstatus(conn.get()) != CONNECTION_OK)
        throw EConnectionError(QString::fromUtf8(PQerrorMessage(conn.get())).trimmed());
    FConn = std::move(conn);
    execDirect(QStringLiteral("SET DateStyle = 'ISO, YMD'"));
    execDirect(QStringLiteral("SET standard_conforming_strings = on"));
}

void TConnection::close() { FConn.reset(); }

bool TConnection::connected() const
{
    return FConn && PQstatus(FConn.get()) == CONNECTION_OK;
}

void TConnection::throwError(pg_result* res, const QString& context) const
{
    if (!FConn || PQstatus(FConn.get()) != CONNECTION_OK)
        throw EConnectionError(
            QString::fromUtf8(FConn ? PQerrorMessage(FConn.get()) : "not connected").trimmed());
    QString message = res ? QString::fromUtf8(PQresultErrorField(res, PG_DIAG_MESSAGE_PRIMARY))
                          : QString();
    if (message.isEmpty())
        message = QString::fromUtf8(PQerrorMessage(FConn.get())).trimmed();
    const char* state = res ? PQresultErrorField(res, PG_DIAG_SQLSTATE) : nullptr;
    if (!context.isEmpty())
        message = context + QStringLiteral(": ") + message;
    throw EQueryError(message, state ? QString::fromLatin1(state) : QString());
}

PgResultPtr TConnection::exec(const QByteArray& sql, const std::vector<TBoundValue>& values)
{
    if (!FConn)
        throw EConnectionError(QStringLiteral("データベースに接続されていません。"));
    std::vector<Oid> types;
    std::vector<const char*> texts;
    types.reserve(values.size());
    texts.reserve(values.size());
    for (const auto& v : values) {
        types.push_back(oidOf(v.type));
        texts.push_back(v.text ? v.text->constData() : nullptr);
    }
    PgResultPtr res(PQexecParams(FConn.get(), sql.constData(), int(values.size()), types.data(),
                                 texts.data(), nullptr, nullptr, 0));
    const auto status = res ? PQresultStatus(res.get()) : PGRES_FATAL_ERROR;
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK)
        throwError(res.get(), {});
    return res;
}

void TConnection::execDirect(const QString& sql) { exec(sql.toUtf8(), {}); }

void TConnection::execScript(const QString& sql)
{
    if (!FConn)
        throw EConnectionError(QStringLiteral("データベースに接続されていません。"));
    PgResultPtr res(PQexec(FConn.get(), sql.toUtf8().constData()));
    const auto status = res ? PQresultStatus(res.get()) : PGRES_FATAL_ERROR;
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK && status != PGRES_EMPTY_QUERY)
        throwError(res.get(), {});
}

void TConnection::beginTrans() { execDirect(QStringLiteral("BEGIN")); }
void TConnection::commitTrans()
{
    // COMMIT of a transaction the server has aborted answers "ROLLBACK":
    // report that as the failure it is.
    if (FConn && PQtransactionStatus(FConn.get()) == PQTRANS_INERROR) {
        execDirect(QStringLiteral("ROLLBACK"));
        throw EQueryError(QStringLiteral("トランザクションはエラーにより取り消されました。"), QStringLiteral("25P02"));
    }
    execDirect(QStringLiteral("COMMIT"));
}

void TConnection::rollbackTrans()
{
    if (FConn && PQtransactionStatus(FConn.get()) != PQTRANS_IDLE)
        execDirect(QStringLiteral("ROLLBACK"));
}

bool TConnection::inTransaction() const
{
    if (!FConn)
        return false;
    const auto s = PQtransactionStatus(FConn.get());
    return s == PQTRANS_INTRANS || s == PQTRANS_INERROR || s == PQTRANS_ACTIVE;
}

TTransaction::TTransaction(TConnection& conn) : FConn(conn) { FConn.beginTrans(); }

TTransaction::~TTransaction()
{
    if (!FDone) {
        try { FConn.rollbackTrans(); } catch (...) {}
    }
}

void TTransaction::commit()
{
    FConn.commitTrans();
    FDone = true;
}

TJoinTransaction::TJoinTransaction(TConnection& conn) : FConn(conn)
{
    if (!FConn.inTransaction()) {
        FConn.beginTrans();
        FBegan = true;
    }
}

TJoinTransaction::~TJoinTransaction()
{
    if (!FDone) {
        try { FConn.rollbackTrans(); } catch (...) {}
    }
}

void TJoinTransaction::commit()
{
    if (FBegan)
        FConn.commitTrans();
    FDone = true;
}
