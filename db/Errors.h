#pragma once
// Exceptions of the system. A form that catches one shows its warning text:
// the class name, CR LF, and the message.

#include <QString>
#include <stdexcept>

class EKlovError : public std::runtime_error {
public:
    explicit EKlovError(const QString& message)
        : std::runtime_error(message.toStdString()), FMessage(message) {}
    virtual QString className() const { return QStringLiteral("EKlovError"); }
    const QString& message() const { return FMessage; }
    virtual QString warningText() const { return className() + QStringLiteral("\r\n") + FMessage; }

private:
    QString FMessage;
};

#define KLOV_ERROR_CLASS(Name, Base)                                          \
    class Name : public Base {                                                \
    public:                                                                   \
        using Base::Base;                                                     \
        QString className() const override { return QStringLiteral(#Name); }  \
    };

// Anything the database layer reports.
class EDatabaseError : public EKlovError {
public:
    explicit EDatabaseError(const QString& message, const QString& sqlState = {})
        : EKlovError(message), FSqlState(sqlState) {}
    QString className() const override { return QStringLiteral("EDatabaseError"); }
    // Five-character SQLSTATE of a server error; empty for client-side faults.
    const QString& sqlState() const { return FSqlState; }

private:
    QString FSqlState;
};

KLOV_ERROR_CLASS(EConnectionError, EDatabaseError)   // connect failed or connection lost
KLOV_ERROR_CLASS(EQueryError, EDatabaseError)        // the server refused a statement
KLOV_ERROR_CLASS(EParameterError, EDatabaseError)    // unknown or unset statement parameter
KLOV_ERROR_CLASS(EFieldError, EDatabaseError)        // unknown field or no current record
KLOV_ERROR_CLASS(ETransactionError, EDatabaseError)  // begin, commit or rollback out of turn

// The connection is inside a transaction that the writer does not own.
class EBusyError : public EDatabaseError {
public:
    EBusyError();
    QString className() const override { return QStringLiteral("EBusyError"); }
};

// What the write depended on was changed by another workstation after it was
// read: the row is no longer live or current, its stage or revision differs,
// or a second live row would result. Nothing was written.
class EConflictError : public EQueryError {
public:
    explicit EConflictError(const QString& detail = {}, const QString& sqlState = {});
    QString className() const override { return QStringLiteral("EConflictError"); }
    // What went wrong, for the error log and the tests; the user sees message().
    const QString& detail() const { return FDetail; }

private:
    QString FDetail;
};

// The connection to the server went away (the server restarted, the network
// dropped) or could not be opened again. Whatever was running in a
// transaction is gone with it; the next statement opens the connection
// again. The user sees the plain message; detail() keeps libpq's words.
class EConnectionLost : public EConnectionError {
public:
    explicit EConnectionLost(const QString& detail, const QString& message = {});
    QString className() const override { return QStringLiteral("EConnectionLost"); }
    QString warningText() const override { return message(); }
    const QString& detail() const { return FDetail; }

private:
    QString FDetail;
};

// A statement was started on a connection that is still waiting for the
// answer of another (something ran while a long operation let the window
// handle its events). Nothing was sent.
class EConnectionBusy : public EDatabaseError {
public:
    EConnectionBusy();
    QString className() const override { return QStringLiteral("EConnectionBusy"); }
};

// The user stopped a long operation with its 中止 button.
class ECancelled : public EKlovError {
public:
    ECancelled();
    QString className() const override { return QStringLiteral("ECancelled"); }
};

// The texts of a lost connection: in the middle of an operation (nothing of
// an unfinished transaction was written), when the server cannot be reached
// again, and when the answer to a commit was lost (it may have happened).
inline const QString kConnectionLostMessage =
    QStringLiteral("データベースとの接続が切れました。もう一度操作してください。");
inline const QString kNoServerMessage =
    QStringLiteral("データベースに接続できません。しばらく待ってからもう一度操作してください。");
inline const QString kCommitUnknownMessage = QStringLiteral(
    "データベースとの接続が切れたため、登録できたかどうか確認できませんでした。\r\n内容を確かめてから操作してください。");
inline const QString kConnectionBusyMessage =
    QStringLiteral("前の処理が終わっていません。終わってからもう一度操作してください。");
inline const QString kCancelledMessage = QStringLiteral("中止しました。");

// The texts shown for these two.
inline const QString kBusyMessage = QStringLiteral("データ使用中のため登録できません。");
inline const QString kConflictMessage = QStringLiteral(
    "他の端末でデータが変更されたため、処理できませんでした。\r\n最新の情報を読み込み直します。");

// SQLSTATEs that mean another workstation got there first: a second live
// row (unique or exclusion violation) or a serialisation failure.
bool isConflictState(const QString& sqlState);

// Warning text for any exception a form catches.
QString errorWarningText(const std::exception& e);
