#include "app/SjisText.h"
#include "app/TextUtil.h"
#include "common/PythonTool.h"

#include <QHash>
#include <QStringList>

#include <gtest/gtest.h>

#include <iconv.h>

#include <memory>
#include <random>

namespace {
QByteArray bytes(std::initializer_list<unsigned char> b) { return QByteArray(reinterpret_cast<const char*>(std::data(b)), qsizetype(b.size())); }
} // namespace

// The count and the cut agree with what the encoder writes, character by
// character, on random mixed text and on the characters where ICU's table
// and Windows part ways.
TEST(SjisText, CountAndCutFollowTheEncoder)
{
    EXPECT_EQ(sjis::encode(QStringLiteral("aｱあ\\~")), bytes({'a', 0xB1, 0x82, 0xA0, 0x5C, 0x7E}));
    // Outside the code page, or invisible: one "?" each, a surrogate pair and a
    // lone surrogate included.
    EXPECT_EQ(sjis::encode(QStringLiteral("¥é\U00020BB7\U0001F600가\u00AD\u200B\u200D\uFE0F") + QChar(0xD800) + u'x'),
              QByteArray("??????????x"));
    // Windows' single bytes, and ASCII controls as they are (IBM swaps these).
    EXPECT_EQ(sjis::encode(QStringLiteral("\u0080\uF8F0\uF8F1\uF8F2\uF8F3\u001A\u001C\u007F")),
              bytes({0x80, 0xA0, 0xFD, 0xFE, 0xFF, 0x1A, 0x1C, 0x7F}));
    EXPECT_EQ(sjis::cutToBytes(QStringLiteral("ab"), -1), QString());

    const QStringList pool = {QStringLiteral("a"), QStringLiteral(" "), QStringLiteral("\\"), QStringLiteral("ｱ"),
                              QStringLiteral("ﾟ"), QStringLiteral("漢"), QStringLiteral("あ"), QStringLiteral("①"),
                              QStringLiteral("¥"), QStringLiteral("é"), QStringLiteral("\U00020BB7"),
                              QStringLiteral("\U0001F600"), QStringLiteral("가"), QStringLiteral("\u00AD"),
                              QStringLiteral("\u200B"), QStringLiteral("\u200D"), QStringLiteral("\uFE0F"),
                              QStringLiteral("\u0080"), QStringLiteral("\uF8F1"), QStringLiteral("\u3000")};
    std::mt19937 random(20240314);
    for (int round = 0; round < 200; ++round) {
        QString text;
        const int length = int(random() % 12);
        for (int i = 0; i < length; ++i)
            text += pool.at(int(random() % pool.size()));
        const QByteArray encoded = sjis::encode(text);
        ASSERT_EQ(sjis::byteCount(text), encoded.size()) << qPrintable(text);
        for (int limit = 0; limit <= encoded.size() + 1; ++limit) {
            const QString cut = sjis::cutToBytes(text, limit);
            ASSERT_TRUE(text.startsWith(cut));
            const QByteArray head = sjis::encode(cut);
            ASSERT_LE(head.size(), limit) << qPrintable(text);
            ASSERT_TRUE(encoded.startsWith(head));
            if (cut.size() == text.size())
                continue;
            ASSERT_FALSE(!cut.isEmpty() && cut.back().isHighSurrogate() && text.at(cut.size()).isLowSurrogate());
            // Maximal: the next character would not fit.
            const int next = text.at(cut.size()).isHighSurrogate() ? 2 : 1;
            ASSERT_GT(sjis::byteCount(text.left(cut.size() + next)), limit) << qPrintable(text) << " " << limit;
        }
    }
}

// Every character of the basic plane is written as glibc's iconv (CP932)
// and Python's cp932 codec both write it; where the two part ways (Python
// writes NEC's row for IBM's kanji, iconv writes U+2014 and ¥ as look-alikes)
// as one of them. A character neither holds is one "?".
TEST(SjisText, BasicPlaneAsIconvAndPythonWriteIt)
{
    QHash<char16_t, QByteArray> python;
    const QByteArray dump = pytool::run(QStringLiteral(R"(import sys
for u in range(0x10000):
    if not 0xD800 <= u < 0xE000:
        try:
            sys.stdout.write('%04X %s\n' % (u, chr(u).encode('cp932').hex()))
        except UnicodeEncodeError:
            pass
)"));
    for (const QByteArray& line : dump.split('\n'))
        if (line.size() > 5)
            python.insert(char16_t(line.left(4).toUInt(nullptr, 16)), QByteArray::fromHex(line.mid(5)));
    ASSERT_GT(python.size(), 9000);

    const std::unique_ptr<void, int (*)(iconv_t)> cd(iconv_open("CP932", "UTF-16LE"), iconv_close);
    ASSERT_NE(cd.get(), iconv_t(-1));
    auto byIconv = [&cd](char16_t u) {
        char in[2] = {char(u & 0xFF), char(u >> 8)};
        char out[8];
        char* from = in;
        char* to = out;
        size_t inLeft = 2, outLeft = sizeof out;
        iconv(cd.get(), nullptr, nullptr, nullptr, nullptr);
        return iconv(cd.get(), &from, &inLeft, &to, &outLeft) == size_t(-1) ? QByteArray() : QByteArray(out, to - out);
    };

    QStringList wrong;
    int apart = 0;
    for (int c = 0; c <= 0xFFFF; ++c) {
        const char16_t u = char16_t(c);
        if (QChar::isSurrogate(u))
            continue;
        const QByteArray ours = sjis::encode(QString(QChar(u)));
        const QByteArray i = byIconv(u), p = python.value(u);
        auto is = [&ours](const QByteArray& b) { return ours == (b.isEmpty() ? QByteArray("?") : b); };
        apart += i != p;
        if (i == p ? !is(i) : !is(i) && !is(p))
            wrong << QStringLiteral("U+%1 %2 (iconv %3, Python %4)")
                         .arg(c, 4, 16, QLatin1Char('0'))
                         .arg(QString::fromLatin1(ours.toHex()), QString::fromLatin1(i.toHex()), QString::fromLatin1(p.toHex()));
    }
    EXPECT_TRUE(wrong.isEmpty()) << wrong.size() << " characters: " << qPrintable(wrong.mid(0, 20).join(QStringLiteral("; ")));
    EXPECT_LT(apart, 400);

    // The forms that input methods and pasted text give read back as the
    // full-width forms.
    const QString common = QStringLiteral("5〜7割 −1 ‖ ¢ £ ¬");
    EXPECT_EQ(sjis::byteCount(common), 22);
    EXPECT_EQ(sjis::cutToBytes(common, 3), QStringLiteral("5〜"));
    EXPECT_EQ(sjis::decode(sjis::encode(common)), QStringLiteral("5～7割 －1 ∥ ￠ ￡ ￢"));
}

TEST(TextUtil, TrimsAsciiBlanksAndNormalisesMemoLines)
{
    const QString typed = QStringLiteral(" \t\r\n\u3000a b\u00A0 \x01");
    EXPECT_EQ(textutil::trimLeft(typed), QStringLiteral("\u3000a b\u00A0 \x01"));
    EXPECT_EQ(textutil::trimBoth(typed), QStringLiteral("\u3000a b\u00A0"));
    EXPECT_EQ(textutil::trimBoth(QStringLiteral(" \x1F ")), QString());

    const QString raw = QStringLiteral("a\u00A0b\u2028c\u2029d") + QChar(0xFDD0) + QChar(0xFDD1);
    EXPECT_EQ(textutil::memoText(raw), QStringLiteral("a\u00A0b\nc\nd\n\n"));
    EXPECT_EQ(textutil::windowsLines(QStringLiteral("a\n\nb")), QStringLiteral("a\r\n\r\nb"));
}
