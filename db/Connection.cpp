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
    FInTransaction = false;
    prepareSession();
}

void TConnection::prepareSession()
{
    execDirect(QStringLiteral("SET DateStyle = 'ISO, YMD'"));
    execDirect(QStringLiteral("SET standard_conforming_strings = on"));
}

void TConnection::close()
{
    FConn.reset();
    FInTransaction = false;
}

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
    const char* rawState = res ? PQresultErrorField(res, PG_DIAG_SQLSTATE) : nullptr;
    const QString state = rawState ? QString::fromLatin1(rawState) : QString();
    if (!context.isEmpty())
        message = context + QStringLiteral(": ") + message;
    if (isConflictState(state))
        throw EConflictError(message, state);
    throw EQueryError(message, state);
}

PgResultPtr TConnection::run(const QByteArray& sql, const std::vector<TBoundValue>& values)
{
    std::vector<Oid> types;
    std::vector<const char*> texts;
    types.reserve(values.size());
    texts.reserve(values.size());
    for (const auto& v : values) {
        types.push_back(oidOf(v.type));
        texts.push_back(v.text ? v.text->constData() : nullptr);
    }
    return PgResultPtr(PQexecParams(FConn.get(), sql.constData(), int(values.size()), types.data(),
                                    texts.data(), nullptr, nullptr, 0));
}

void TConnection::reconnect()
{
    PQreset(FConn.get());
    ++FReconnects;
    if (PQstatus(FConn.get()) != CONNECTION_OK)
        throw EConnectionError(QString::fromUtf8(PQerrorMessage(FConn.get())).trimmed());
    prepareSession();
}

void TConnection::throwLost()
{
    FInTransaction = false;
    throw EConnectionError(QString::fromUtf8(PQerrorMessage(FConn.get())).trimmed());
}

// A statement outside a transaction that finds the connection gone (the
// server restarted, the network dropped) opens it again once and runs
// again. Inside a transaction it cannot: the transaction went with the
// connection, so the error is reported and the transaction is forgotten.
// Every write runs inside a transaction, so only reads and BEGIN are retried.
PgResultPtr TConnection::exec(const QByteArray& sql, const std::vector<TBoundValue>& values)
{
    if (!FConn)
        throw EConnectionError(QStringLiteral("データベースに接続されていません。"));
    const bool mayReconnect = !FInTransaction;
    if (PQstatus(FConn.get()) != CONNECTION_OK) {
        if (!mayReconnect)
            throwLost();
        reconnect();
    }
    PgResultPtr res = run(sql, values);
    auto failed = [&res] {
        const auto status = res ? PQresultStatus(res.get()) : PGRES_FATAL_ERROR;
        return status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK;
    };
    if (failed() && PQstatus(FConn.get()) != CONNECTION_OK) {
        if (!mayReconnect)
            throwLost();
        reconnect();
        res = run(sql, values);
        if (failed() && PQstatus(FConn.get()) != CONNECTION_OK)
            throwLost();
    }
    if (failed())
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

void TConnection::beginTrans()
{
    if (inTransaction())
        throw ETransactionError(QStringLiteral("トランザクションは既に開始されています。"));
    execDirect(QStringLiteral("BEGIN"));
    FInTransaction = true;
}

void TConnection::commitTrans()
{
    if (!inTransaction())
        throw ETransactionError(QStringLiteral("開始されていないトランザクションは確定できません。"));
    // COMMIT of a transaction the server has aborted answers "ROLLBACK":
    // report that as the failure it is.
    if (PQtransactionStatus(FConn.get()) == PQTRANS_INERROR) {
        rollbackTrans();
        throw EQueryError(QStringLiteral("トランザクションはエラーにより取り消されました。"), QStringLiteral("25P02"));
    }
    // Whatever COMMIT answers, the transaction is over.
    struct TEnd {
        bool& flag;
        ~TEnd() { flag = false; }
    } end{FInTransaction};
    execDirect(QStringLiteral("COMMIT"));
}

void TConnection::rollbackTrans()
{
    if (!inTransaction())
        throw ETransactionError(QStringLiteral("開始されていないトランザクションは取り消せません。"));
    struct TEnd {
        bool& flag;
        ~TEnd() { flag = false; }
    } end{FInTransaction};
    execDirect(QStringLiteral("ROLLBACK"));
}

bool TConnection::inTransaction() const
{
    if (FInTransaction)
        return true;
    // A transaction begun with a plain statement counts as well.
    if (!FConn || PQstatus(FConn.get()) != CONNECTION_OK)
        return false;
    const auto s = PQtransactionStatus(FConn.get());
    return s == PQTRANS_INTRANS || s == PQTRANS_INERROR || s == PQTRANS_ACTIVE;
}

void TConnection::savepoint(const QByteArray& name)
{
    if (!inTransaction())
        throw ETransactionError(QStringLiteral("トランザクションの外では保存点を作れません。"));
    execDirect(QStringLiteral("SAVEPOINT ") + QString::fromLatin1(name));
}

void TConnection::releaseSavepoint(const QByteArray& name)
{
    execDirect(QStringLiteral("RELEASE SAVEPOINT ") + QString::fromLatin1(name));
}

void TConnection::rollbackToSavepoint(const QByteArray& name)
{
    execDirect(QStringLiteral("ROLLBACK TO SAVEPOINT ") + QString::fromLatin1(name));
}
