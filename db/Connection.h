#pragma once
// The one connection every form's statements run on.

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

    void beginTrans();
    void commitTrans();
    void rollbackTrans();
    bool inTransaction() const;

    static QString userName() { return QStringLiteral("postgres"); }

private:
    [[noreturn]] void throwError(pg_result* res, const QString& context) const;
    struct Deleter { void operator()(pg_conn* c) const; };
    std::unique_ptr<pg_conn, Deleter> FConn;
};

// Begins at construction; rolls back at destruction unless committed.
class TTransaction {
public:
    explicit TTransaction(TConnection& conn);
    ~TTransaction();
    TTransaction(const TTransaction&) = delete;
    TTransaction& operator=(const TTransaction&) = delete;
    void commit();

private:
    TConnection& FConn;
    bool FDone = false;
};

// Joins the transaction that is open or begins one. Only a transaction it
// began is committed by it; on destruction without commit the open
// transaction is rolled back (after an error the server has aborted it anyway).
class TJoinTransaction {
public:
    explicit TJoinTransaction(TConnection& conn);
    ~TJoinTransaction();
    TJoinTransaction(const TJoinTransaction&) = delete;
    TJoinTransaction& operator=(const TJoinTransaction&) = delete;
    void commit();
    bool began() const { return FBegan; }

private:
    TConnection& FConn;
    bool FBegan = false;
    bool FDone = false;
};

// The refusal shown by forms that must not join a transaction already open.
inline const QString kBusyMessage = QStringLiteral("データ使用中のため登録できません。");
