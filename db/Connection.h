#pragma once
// The one connection every form's statements run on.

#include "db/Errors.h"

#include <QString>
#include <QVariant>
#include <memory>
#include <optional>
#include <vector>

struct pg_conn;
struct pg_result;

struct PgResultDeleter { void operator()(pg_result* r) const; };
using PgResultPtr = std::unique_ptr<pg_result, PgResultDeleter>;

// Type of a statement parameter.
enum class TParamType { Text, Int32, Int64, DateTime, Float };

// A value ready to be sent: its type and its text form (empty optional = null).
struct TBoundValue {
    TParamType type = TParamType::Text;
    std::optional<QByteArray> text;
};

class TConnection {
public:
    TConnection();
    ~TConnection();
    TConnection(const TConnection&) = delete;
    TConnection& operator=(const TConnection&) = delete;

    // The data source is a connection service name (pg_service.conf) or, when
    // it holds "=" or starts with "postgres", a conninfo string or URI. The user
    // is always postgres. Throws EConnectionError.
    void open(const QString& dataSource, const QString& password);
    void close();
    bool connected() const;

    // Runs a statement with $n placeholders already in place. Throws
    // EQueryError (server) or EConnectionError (connection lost).
    PgResultPtr exec(const QByteArray& sql, const std::vector<TBoundValue>& values);
    // Runs a statement without parameters and without a result.
    void execDirect(const QString& sql);
    // Runs a script of several statements (schema files, test set-up).
    void execScript(const QString& sql);

    // Transactions. A begin inside an open transaction, and a commit or
    // rollback with none open, throw ETransactionError. Forms do not call
    // these: they write through runTransaction (db/Transaction.h).
    void beginTrans();
    void commitTrans();
    void rollbackTrans();
    bool inTransaction() const;
    // Savepoints inside the open transaction (work that joins it).
    void savepoint(const QByteArray& name);
    void releaseSavepoint(const QByteArray& name);
    void rollbackToSavepoint(const QByteArray& name);
    // How many statements have found the connection broken and opened it
    // again (for the tests).
    int reconnectCount() const { return FReconnects; }

    static QString userName() { return QStringLiteral("postgres"); }

private:
    PgResultPtr run(const QByteArray& sql, const std::vector<TBoundValue>& values);
    // Reopens a broken connection with the parameters it was opened with;
    // throws EConnectionError when the server cannot be reached.
    void reconnect();
    void prepareSession();
    // Forgets the transaction of a connection that has gone away.
    [[noreturn]] void throwLost();
    [[noreturn]] void throwError(pg_result* res, const QString& context) const;
    struct Deleter { void operator()(pg_conn* c) const; };
    std::unique_ptr<pg_conn, Deleter> FConn;
    bool FInTransaction = false;
    int FReconnects = 0;
};
