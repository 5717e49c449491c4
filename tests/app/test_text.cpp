#include "app/SjisText.h"
#include "app/TextUtil.h"

#include <QStringList>

#include <gtest/gtest.h>

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
