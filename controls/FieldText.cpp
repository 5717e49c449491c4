#include "controls/FieldText.h"

#include <QLineEdit>
#include <QVariant>
#include <algorithm>

namespace fieldText {
namespace {
const char* const kLimit = "klovTypingLimit";
}

void setTypingLimit(QLineEdit* edit, int limit)
{
    edit->setProperty(kLimit, limit);
    edit->setMaxLength(limit);
}

void showStored(QLineEdit* edit, const QString& text)
{
    const QVariant limit = edit->property(kLimit);
    const int typing = limit.isValid() ? limit.toInt() : edit->maxLength();
    // QLineEdit cuts a text to its maximum length: lift it for this value.
    edit->setMaxLength(std::max(typing, int(text.size())));
    edit->setText(text);
}

} // namespace fieldText
