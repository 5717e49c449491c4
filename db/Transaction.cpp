#include "db/Transaction.h"

#include "db/Query.h"

void runTransaction(TConnection& conn, const std::function<void()>& work, TTxMode mode)
{
    if (conn.inTransaction()) {
        if (mode == TTxMode::Own)
            throw EBusyError();
        static const QByteArray kSavepoint("klov_join");
        conn.savepoint(kSavepoint);
        try {
            work();
        } catch (...) {
            // The owner's transaction stays usable; it decides what follows.
            if (conn.inTransaction()) {
                try {
                    conn.rollbackToSavepoint(kSavepoint);
                    conn.releaseSavepoint(kSavepoint);
                } catch (...) {
                }
            }
            throw;
        }
        conn.releaseSavepoint(kSavepoint);
        return;
    }
    conn.beginTrans();
    try {
        work();
        conn.commitTrans();
    } catch (...) {
        if (conn.inTransaction()) {
            try {
                conn.rollbackTrans();
            } catch (...) {
            }
        }
        throw;
    }
}

void lockScope(TConnection& conn, const QString& scope)
{
    if (!conn.inTransaction())
        throw ETransactionError(QStringLiteral("トランザクションの外では排他できません: ") + scope);
    // A transaction-level advisory lock on a 64-bit hash of the scope's name:
    // held until commit or rollback, taken by every writer of that scope.
    TQuery q(&conn);
    q.setSql(QStringLiteral(R"(SELECT pg_advisory_xact_lock(hashtextextended(:SCOPE, 0)))"));
    q.setText(QStringLiteral("SCOPE"), scope, 0);
    q.open();
}
