#include "db/Connection.h"

#include "db/Errors.h"

#include <libpq-fe.h>

#include <QDateTime>

#include <cerrno>
#include <cstdlib>
#include <poll.h>
#include <utility>

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
    // The session keeps the workstation's clock: what NOW() writes into a
    // timestamp column, and the day CAST(NOW() AS DATE) gives, are then the
    // ward's wall clock and day, whatever zone the server runs in. The zone
    // is the workstation's present offset, fixed: a date written through
    // TO_TIMESTAMP keeps its midnight even on a day whose midnight the
    // named zone skipped (Japan's summer time of 1948-1951). In POSIX form:
    // a name in angle brackets, then the offset west of UTC.
    const int offset = QDateTime::currentDateTime().offsetFromUtc();
    const int hours = std::abs(offset) / 3600, minutes = std::abs(offset) % 3600 / 60;
    const QString zone = QStringLiteral("<%1%2%3>%4%2:%3")
                             .arg(QLatin1Char(offset < 0 ? '-' : '+'))
                             .arg(hours, 2, 10, QLatin1Char('0'))
                             .arg(minutes, 2, 10, QLatin1Char('0'))
                             .arg(QLatin1Char(offset < 0 ? '+' : '-'));
    exec(QByteArrayLiteral("SELECT set_config('TimeZone', $1, false)"), {TBoundValue{TParamType::Text, zone.toLatin1()}});
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

void TConnection::throwError(pg_result* res, const QString& context)
{
    if (!FConn || PQstatus(FConn.get()) != CONNECTION_OK)
        throwLost();
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

namespace {
bool failed(const PgResultPtr& res)
{
    const auto status = res ? PQresultStatus(res.get()) : PGRES_FATAL_ERROR;
    return status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK;
}

// Waits until the socket has something to read (the blocking wait).
void waitReadable(int socket)
{
    pollfd p{socket, POLLIN, 0};
    while (::poll(&p, 1, -1) < 0 && errno == EINTR) {
    }
}

void sendCancel(pg_conn* conn)
{
    // A failed request only means the statement runs to its end.
    if (PGcancel* c = PQgetCancel(conn)) {
        char error[256];
        PQcancel(c, error, int(sizeof error));
        PQfreeCancel(c);
    }
}
} // namespace

TStatementWaiter* TConnection::setWaiter(TStatementWaiter* waiter)
{
    return std::exchange(FWaiter, waiter);
}

void TConnection::checkFree() const
{
    if (FInStatement || FHeld > 0)
        throw EConnectionBusy();
}

PgResultPtr TConnection::run(const QByteArray& sql, const std::vector<TBoundValue>& values, bool& cancelled)
{
    std::vector<Oid> types;
    std::vector<const char*> texts;
    types.reserve(values.size());
    texts.reserve(values.size());
    for (const auto& v : values) {
        types.push_back(oidOf(v.type));
        texts.push_back(v.text ? v.text->constData() : nullptr);
    }
    pg_conn* c = FConn.get();
    if (!PQsendQueryParams(c, sql.constData(), int(values.size()), types.data(), texts.data(), nullptr, nullptr,
                           0))
        return {};
    struct TInStatement {
        bool& flag;
        explicit TInStatement(bool& f) : flag(f) { flag = true; }
        ~TInStatement() { flag = false; }
    } inStatement(FInStatement);
    TStatementWaiter* const waiter = FWaiter;
    bool cancelSent = false;
    auto waitReady = [&] {
        while (PQstatus(c) == CONNECTION_OK && PQconsumeInput(c) && PQisBusy(c)) {
            if (!waiter) {
                waitReadable(PQsocket(c));
            } else if (waiter->wait(PQsocket(c)) && !cancelSent) {
                sendCancel(c);
                cancelSent = true;
            }
        }
    };
    // The first error is the answer; the rest only drain the connection.
    PgResultPtr answer;
    for (;;) {
        waitReady();
        PgResultPtr res(PQgetResult(c));
        if (!res)
            break;
        if (!answer || (failed(res) && !failed(answer)))
            answer = std::move(res);
    }
    const char* state = answer ? PQresultErrorField(answer.get(), PG_DIAG_SQLSTATE) : nullptr;
    cancelled = cancelSent && state && qstrcmp(state, "57014") == 0;
    return answer;
}

void TConnection::reconnect()
{
    PQreset(FConn.get());
    FInTransaction = false;
    if (PQstatus(FConn.get()) != CONNECTION_OK)
        throw EConnectionLost(QString::fromUtf8(PQerrorMessage(FConn.get())).trimmed(), kNoServerMessage);
    ++FReconnects;
    prepareSession();
}

void TConnection::throwLost()
{
    FInTransaction = false;
    throw EConnectionLost(QString::fromUtf8(FConn ? PQerrorMessage(FConn.get()) : "").trimmed());
}

// A statement outside a transaction that finds the connection gone (the
// server restarted, the network dropped) opens it again first. Found gone
// only after the statement was sent, a read runs once more on the new
// connection; a write is reported, since it may have been done. Inside a
// transaction nothing is retried: the transaction went with the
// connection, so the error is reported and the transaction is forgotten.
PgResultPtr TConnection::exec(const QByteArray& sql, const std::vector<TBoundValue>& values, TStatementKind kind)
{
    if (!FConn)
        throw EConnectionError(QStringLiteral("データベースに接続されていません。"));
    checkFree();
    const bool inTx = inTransaction();
    if (PQstatus(FConn.get()) != CONNECTION_OK) {
        if (inTx)
            throwLost();
        reconnect();
    }
    bool cancelled = false;
    PgResultPtr res = run(sql, values, cancelled);
    if (failed(res) && PQstatus(FConn.get()) != CONNECTION_OK) {
        if (inTx || kind != TStatementKind::Read)
            throwLost();
        reconnect();
        res = run(sql, values, cancelled);
        if (failed(res) && PQstatus(FConn.get()) != CONNECTION_OK)
            throwLost();
    }
    if (cancelled)
        throw ECancelled();
    if (failed(res))
        throwError(res.get(), {});
    return res;
}

void TConnection::execDirect(const QString& sql) { exec(sql.toUtf8(), {}); }

void TConnection::execControl(const QString& sql)
{
    // Without the waiter: a 中止 pressed earlier must not cancel the ROLLBACK
    // that follows it (the transaction would stay open and aborted), nor a
    // COMMIT half-way.
    struct TNoWaiter {
        TConnection& c;
        TStatementWaiter* saved;
        ~TNoWaiter() { c.FWaiter = saved; }
    } noWaiter{*this, std::exchange(FWaiter, nullptr)};
    execDirect(sql);
}

void TConnection::execScript(const QString& sql)
{
    if (!FConn)
        throw EConnectionError(QStringLiteral("データベースに接続されていません。"));
    checkFree();
    PgResultPtr res(PQexec(FConn.get(), sql.toUtf8().constData()));
    const auto status = res ? PQresultStatus(res.get()) : PGRES_FATAL_ERROR;
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK && status != PGRES_EMPTY_QUERY)
        throwError(res.get(), {});
}

void TConnection::beginTrans()
{
    if (inTransaction())
        throw ETransactionError(QStringLiteral("トランザクションは既に開始されています。"));
    // Nothing is done before BEGIN has been answered: it may run again on
    // a connection opened anew.
    exec("BEGIN", {}, TStatementKind::Read);
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
    if (!connected())
        throwLost();   // COMMIT was never sent: the server has rolled back
    try {
        execControl(QStringLiteral("COMMIT"));
    } catch (const EConnectionLost& e) {
        // Sent, but the answer was lost: it may have been done.
        throw EConnectionLost(e.detail(), kCommitUnknownMessage);
    }
}

void TConnection::rollbackTrans()
{
    if (!inTransaction())
        throw ETransactionError(QStringLiteral("開始されていないトランザクションは取り消せません。"));
    struct TEnd {
        bool& flag;
        ~TEnd() { flag = false; }
    } end{FInTransaction};
    execControl(QStringLiteral("ROLLBACK"));
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
    execControl(QStringLiteral("SAVEPOINT ") + QString::fromLatin1(name));
}

void TConnection::releaseSavepoint(const QByteArray& name)
{
    execControl(QStringLiteral("RELEASE SAVEPOINT ") + QString::fromLatin1(name));
}

void TConnection::rollbackToSavepoint(const QByteArray& name)
{
    execControl(QStringLiteral("ROLLBACK TO SAVEPOINT ") + QString::fromLatin1(name));
}
