#include "app/SjisText.h"

#include <unicode/ucnv.h>

#include <memory>

namespace {
struct TConverterCloser {
    void operator()(UConverter* c) const { ucnv_close(c); }
};
using TConverter = std::unique_ptr<UConverter, TConverterCloser>;

TConverter openConverter()
{
    UErrorCode status = U_ZERO_ERROR;
    TConverter conv(ucnv_open("windows-31j", &status));
    if (U_FAILURE(status))
        return {};
    return conv;
}

// Bytes of one character (one or two UTF-16 units) in the code page.
int charBytes(UConverter* conv, const QChar* units, int count)
{
    if (!conv)
        return count == 1 && units[0].unicode() < 0x80 ? 1 : 2;
    char out[8];
    UErrorCode status = U_ZERO_ERROR;
    ucnv_reset(conv);
    const int n = ucnv_fromUChars(conv, out, sizeof out, reinterpret_cast<const UChar*>(units), count, &status);
    if (U_FAILURE(status) && status != U_STRING_NOT_TERMINATED_WARNING)
        return 1;
    return n;
}

// Walks the characters and stops before the one that would pass the limit.
// Returns the UTF-16 length of the part that fits and its byte length.
std::pair<int, int> fit(const QString& text, int maxBytes)
{
    TConverter conv = openConverter();
    int bytes = 0;
    int i = 0;
    while (i < text.size()) {
        const int units = text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate() ? 2 : 1;
        const int b = charBytes(conv.get(), text.constData() + i, units);
        if (maxBytes >= 0 && bytes + b > maxBytes)
            break;
        bytes += b;
        i += units;
    }
    return {i, bytes};
}
} // namespace

namespace sjis {

int byteLength(const QString& text) { return fit(text, -1).second; }

QString cutToBytes(const QString& text, int maxBytes)
{
    if (maxBytes <= 0)
        return {};
    return text.left(fit(text, maxBytes).first);
}

} // namespace sjis
