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
    QString warningText() const { return className() + QStringLiteral("\r\n") + FMessage; }

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

// The texts shown for these two.
inline const QString kBusyMessage = QStringLiteral("データ使用中のため登録できません。");
inline const QString kConflictMessage = QStringLiteral(
    "他の端末でデータが変更されたため、処理できませんでした。\r\n最新の情報を読み込み直します。");

// SQLSTATEs that mean another workstation got there first: a second live
// row (unique or exclusion violation) or a serialisation failure.
bool isConflictState(const QString& sqlState);

// Warning text for any exception a form catches.
QString errorWarningText(const std::exception& e);
