#include "app/SjisText.h"

#include <unicode/ucnv.h>

#include <algorithm>
#include <array>
#include <memory>
#include <optional>

namespace {

struct TConverterCloser {
    void operator()(UConverter* c) const { ucnv_close(c); }
};

// Encodes one character at a time, so the count and the cut see each
// character's bytes exactly as encode() writes them.
//
// ICU's table for windows-31j is IBM's code page 943. Where Windows differs
// the Windows bytes win: ASCII maps to itself (IBM swaps 0x1A, 0x1C and
// 0x7F), and U+0080 and U+F8F0..U+F8F3 are the single bytes 0x80, 0xA0,
// 0xFD..0xFF; and 〜 − ‖ ¢ £ ¬, which IBM lacks and input methods and
// pasted text commonly give, take the pairs Windows writes for them, those
// of ～ － ∥ ￠ ￡ ￢ (as read back). What ICU writes only by a fallback, bytes
// that read back as another character (it sends private-use code points to
// look-alikes, U+F86F to the bytes of "№"), becomes the "?" of a character
// the code page lacks; so do the invisible format characters (soft hyphen,
// zero-width space and joiner, variation selectors), for which ICU writes
// nothing.
class TEncoder {
public:
    TEncoder()
    {
        UErrorCode status = U_ZERO_ERROR;
        FConv.reset(ucnv_open("windows-31j", &status));
        if (U_SUCCESS(status))
            ucnv_setFromUCallBack(FConv.get(), UCNV_FROM_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &status);
        if (U_SUCCESS(status))
            FBack.reset(ucnv_open("windows-31j", &status));
        if (U_SUCCESS(status))
            ucnv_setToUCallBack(FBack.get(), UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &status);
        if (U_FAILURE(status)) {
            FConv.reset();
            FBack.reset();
        }
    }

    // Bytes of the character of `count` UTF-16 units (1, or 2 for a
    // surrogate pair) into `out`, which holds at least 4; returns their number.
    int put(const char16_t* units, int count, char* out)
    {
        const char16_t u = units[0];
        if (count == 1 && u < 0x81) {
            out[0] = char(u);
            return 1;
        }
        if (count == 1 && u >= 0xF8F0 && u <= 0xF8F3) {
            static constexpr unsigned char kWindowsOnly[4] = {0xA0, 0xFD, 0xFE, 0xFF};
            out[0] = char(kWindowsOnly[u - 0xF8F0]);
            return 1;
        }
        if (count == 1) {
            static constexpr struct {
                char16_t u;
                unsigned char lead, trail;
            } kWindowsPairs[] = {{0x00A2, 0x81, 0x91}, {0x00A3, 0x81, 0x92}, {0x00AC, 0x81, 0xCA},
                                 {0x2016, 0x81, 0x61}, {0x2212, 0x81, 0x7C}, {0x301C, 0x81, 0x60}};
            for (const auto& p : kWindowsPairs) {
                if (p.u == u) {
                    out[0] = char(p.lead);
                    out[1] = char(p.trail);
                    return 2;
                }
            }
        }
        if (FConv && !(count == 1 && QChar::isSurrogate(u))) {
            UErrorCode status = U_ZERO_ERROR;
            ucnv_resetFromUnicode(FConv.get());
            const int n = ucnv_fromUChars(FConv.get(), out, 4, reinterpret_cast<const UChar*>(units), count, &status);
            if (U_SUCCESS(status) && n > 0 && n <= 2 && readsBack(out, n, units, count))
                return n;
        }
        out[0] = '?';
        return 1;
    }

private:
    // True when ICU reads the bytes as the character again.
    bool readsBack(const char* bytes, int n, const char16_t* units, int count)
    {
        UChar back[4];
        UErrorCode status = U_ZERO_ERROR;
        ucnv_resetToUnicode(FBack.get());
        const int m = ucnv_toUChars(FBack.get(), back, 4, bytes, n, &status);
        return U_SUCCESS(status) && m == count && std::equal(units, units + count, back);
    }

    std::unique_ptr<UConverter, TConverterCloser> FConv;
    std::unique_ptr<UConverter, TConverterCloser> FBack;
};

// The bytes of every character of the basic plane, worked out once through
// TEncoder and never changed after: a text is then one lookup a character,
// not a converter call (an export writes millions of characters).
class TBmpTable {
public:
    TBmpTable()
    {
        TEncoder enc;
        for (int u = 0; u <= 0xFFFF; ++u) {
            const char16_t c = char16_t(u);
            char out[4];
            const int n = enc.put(&c, 1, out);
            FBytes[u] = {char(n), out[0], n > 1 ? out[1] : '\0'};
        }
    }
    // {count, first, second}
    const std::array<char, 3>& operator[](char16_t u) const { return FBytes[u]; }

private:
    std::array<std::array<char, 3>, 0x10000> FBytes;
};

const TBmpTable& bmpTable()
{
    static const TBmpTable table;
    return table;
}

// Feeds each character's bytes to `take(end, bytes, n)`, where `end` is the
// UTF-16 length up to and including the character; stops when it returns false.
template <class F> void walk(const QString& text, F&& take)
{
    const TBmpTable& table = bmpTable();
    std::optional<TEncoder> pairs;   // characters beyond the basic plane
    const char16_t* p = reinterpret_cast<const char16_t*>(text.utf16());
    const qsizetype size = text.size();
    char bytes[4];
    for (qsizetype i = 0; i < size;) {
        if (QChar::isHighSurrogate(p[i]) && i + 1 < size && QChar::isLowSurrogate(p[i + 1])) {
            if (!pairs)
                pairs.emplace();
            const int n = pairs->put(p + i, 2, bytes);
            i += 2;
            if (!take(i, bytes, n))
                return;
            continue;
        }
        const auto& b = table[p[i]];
        ++i;
        if (!take(i, b.data() + 1, int(b[0])))
            return;
    }
}

// Reads double-byte characters through the same ICU table as TEncoder; the
// single bytes are the Windows ones and are read without it.
class TDecoder {
public:
    TDecoder()
    {
        UErrorCode status = U_ZERO_ERROR;
        FConv.reset(ucnv_open("windows-31j", &status));
        if (U_FAILURE(status)) {
            FConv.reset();
            return;
        }
        ucnv_setToUCallBack(FConv.get(), UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &status);
    }

    // The character of the lead and trail byte; 0 when there is none.
    char16_t pair(unsigned char lead, unsigned char trail)
    {
        if (!FConv)
            return 0;
        const char in[2] = {char(lead), char(trail)};
        UChar out[4];
        UErrorCode status = U_ZERO_ERROR;
        ucnv_resetToUnicode(FConv.get());
        const int n = ucnv_toUChars(FConv.get(), out, 4, in, 2, &status);
        return U_SUCCESS(status) && n == 1 ? char16_t(out[0]) : 0;
    }

private:
    std::unique_ptr<UConverter, TConverterCloser> FConv;
};

bool isLead(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }
bool isTrail(unsigned char b) { return b >= 0x40 && b <= 0xFC && b != 0x7F; }

} // namespace

namespace sjis {

QString decode(const QByteArray& bytes, bool* ok)
{
    TDecoder dec;
    QString out;
    out.reserve(bytes.size());
    bool valid = true;
    const qsizetype size = bytes.size();
    for (qsizetype i = 0; i < size; ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (b <= 0x80) {
            out += QChar(char16_t(b));
        } else if (b == 0xA0) {
            out += QChar(char16_t(0xF8F0));
        } else if (b >= 0xFD) {
            out += QChar(char16_t(0xF8F1 + (b - 0xFD)));
        } else if (b >= 0xA1 && b <= 0xDF) {
            out += QChar(char16_t(0xFF61 + (b - 0xA1)));   // half-width katakana
        } else {
            const auto t = i + 1 < size ? static_cast<unsigned char>(bytes[i + 1]) : 0;
            const char16_t c = isLead(b) && isTrail(t) ? dec.pair(b, t) : 0;
            if (c != 0) {
                out += QChar(c);
                ++i;
            } else {
                out += QChar(char16_t(0xFFFD));
                valid = false;
            }
        }
    }
    if (ok)
        *ok = valid;
    return out;
}

QByteArray encode(const QString& text)
{
    // At most two bytes a UTF-16 unit; written in place, then cut to size.
    QByteArray out(text.size() * 2, Qt::Uninitialized);
    char* at = out.data();
    walk(text, [&at](qsizetype, const char* bytes, int n) {
        at = std::copy_n(bytes, n, at);
        return true;
    });
    out.truncate(at - out.constData());
    return out;
}

int byteCount(const QString& text)
{
    int total = 0;
    walk(text, [&total](qsizetype, const char*, int n) {
        total += n;
        return true;
    });
    return total;
}

QString cutToBytes(const QString& text, int maxBytes)
{
    qsizetype fits = 0;
    int total = 0;
    walk(text, [&](qsizetype end, const char*, int n) {
        if (total + n > maxBytes)
            return false;
        total += n;
        fits = end;
        return true;
    });
    return text.left(fits);
}

} // namespace sjis
