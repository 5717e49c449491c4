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

// Whether a statement may run a second time on a connection that was found
// broken after it had been sent: a read may; anything that writes may not,
// since the server may have done it before the connection went.
enum class TStatementKind { Write, Read };

// Waits for the answer of a statement while the server works on it, so that
// the window goes on drawing and the user may stop it. A long operation
// (app/LongOperation.h) installs one for its time; without one a statement
// blocks until its answer has come.
class TStatementWaiter {
public:
    virtual ~TStatementWaiter() = default;
    // Waits a short while for the socket to become readable and lets the
    // program handle its events; true once the user has asked to stop.
    virtual bool wait(int socket) = 0;
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
    // EQueryError (server), EConnectionLost (connection gone), ECancelled
    // (stopped through the waiter) or EConnectionBusy (another statement
    // is still waiting for its answer).
    //
    // A connection found broken is opened again with the same parameters
    // before the statement is sent, outside a transaction. A read outside a
    // transaction that finds it broken on the way runs once more on the new
    // connection; a write never does, and inside a transaction nothing runs
    // again: the transaction went with the connection.
    PgResultPtr exec(const QByteArray& sql, const std::vector<TBoundValue>& values,
                     TStatementKind kind = TStatementKind::Write);
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

    // The waiter used for the statements from now on (nullptr: block);
    // returns the one it replaces.
    TStatementWaiter* setWaiter(TStatementWaiter* waiter);

    // Refuses every statement (EConnectionBusy) while it lives: held by a
    // long operation while it lets the window handle events between its
    // statements, so that a timer or a late click cannot slip a statement
    // into the operation's transaction.
    class THold {
    public:
        explicit THold(TConnection& conn) : FConn(conn) { ++FConn.FHeld; }
        ~THold() { --FConn.FHeld; }
        THold(const THold&) = delete;
        THold& operator=(const THold&) = delete;

    private:
        TConnection& FConn;
    };

private:
    // Sends the statement and waits for its answer (through the waiter if
    // one is set); null when nothing came back.
    PgResultPtr run(const QByteArray& sql, const std::vector<TBoundValue>& values, bool& cancelled);
    void checkFree() const;
    // A transaction statement: blocks, never cancelled.
    void execControl(const QString& sql);
    // Reopens a broken connection with the parameters it was opened with;
    // throws EConnectionLost when the server cannot be reached.
    void reconnect();
    void prepareSession();
    // Forgets the transaction of a connection that has gone away.
    [[noreturn]] void throwLost();
    [[noreturn]] void throwError(pg_result* res, const QString& context);
    struct Deleter { void operator()(pg_conn* c) const; };
    std::unique_ptr<pg_conn, Deleter> FConn;
    bool FInTransaction = false;
    int FReconnects = 0;
    TStatementWaiter* FWaiter = nullptr;
    bool FInStatement = false;
    int FHeld = 0;
};
