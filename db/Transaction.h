#pragma once
// The one way the program writes: every form's writes run inside
// runTransaction, which begins, runs and commits, and on any error rolls
// back what it began and lets the error go on to the form.

#include "db/Connection.h"

#include <functional>

enum class TTxMode {
    // The work needs a transaction of its own: while the connection is
    // inside one that the writer does not own, EBusyError and nothing is
    // touched (the owner's transaction goes on unharmed).
    Own,
    // The work joins the transaction that is open, under a savepoint, so
    // that a failure undoes only its own statements and never its owner's;
    // with none open it begins and commits its own.
    Join,
};

// Runs `work` in a transaction. Errors reach the caller as they were raised
// (EConflictError for a write whose premise changed or for a second live
// row, EConnectionError when the connection went away) after the rollback.
void runTransaction(TConnection& conn, const std::function<void()>& work, TTxMode mode = TTxMode::Own);

// Serialises writers of one scope (a table and its key, such as the numbers
// of one patient's diseases) until the end of the open transaction. Other
// readers are not held up. Throws ETransactionError outside a transaction.
void lockScope(TConnection& conn, const QString& scope);
