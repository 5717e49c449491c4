#include "db/Errors.h"

#include <cxxabi.h>
#include <memory>
#include <typeinfo>

EBusyError::EBusyError() : EDatabaseError(kBusyMessage) {}

EConnectionLost::EConnectionLost(const QString& detail, const QString& message)
    : EConnectionError(message.isEmpty() ? kConnectionLostMessage : message), FDetail(detail)
{
}

EConnectionBusy::EConnectionBusy() : EDatabaseError(kConnectionBusyMessage) {}

ECancelled::ECancelled() : EKlovError(kCancelledMessage) {}

EConflictError::EConflictError(const QString& detail, const QString& sqlState)
    : EQueryError(kConflictMessage, sqlState), FDetail(detail)
{
}

bool isConflictState(const QString& sqlState)
{
    return sqlState == QLatin1String("23505") || sqlState == QLatin1String("23P01")
           || sqlState == QLatin1String("40001") || sqlState == QLatin1String("40P01");
}

QString errorWarningText(const std::exception& e)
{
    if (auto k = dynamic_cast<const EKlovError*>(&e))
        return k->warningText();
    int status = 0;
    std::unique_ptr<char, void (*)(void*)> name(
        abi::__cxa_demangle(typeid(e).name(), nullptr, nullptr, &status), std::free);
    const QString cls = status == 0 && name ? QString::fromLatin1(name.get())
                                            : QString::fromLatin1(typeid(e).name());
    return cls + QStringLiteral("\r\n") + QString::fromLocal8Bit(e.what());
}
