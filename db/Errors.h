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

// Warning text for any exception a form catches.
QString errorWarningText(const std::exception& e);
