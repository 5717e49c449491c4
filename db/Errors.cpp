#include "db/Errors.h"

#include <cxxabi.h>
#include <memory>
#include <typeinfo>

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
