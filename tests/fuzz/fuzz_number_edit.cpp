// The number edit's parse and format on mutated texts, under random
// settings: what a text reads as formats to a text that reads back as the
// same value (rounded as set), and that value formats to itself again.

#include "fuzz/Fuzz.h"

#include "controls/NumberEdit.h"

#include <gtest/gtest.h>

#include <cmath>
#include <ostream>

// Readable decimals in failure messages.
inline void PrintTo(const TDecimal& d, std::ostream* os) { *os << d.toString().toStdString(); }

namespace {

const QStringList kNumbers{"0", "-1234.5", "+12", "1,234,567.890", "9999999999", "0.000001", "-0", ".5", "5.",
                           "00012.3400", "  42  ", "12-3", "1e5", "-9223372036854775808", "18446744073709551616",
                           "FFFFFFFF", "-8000000000000000", "7fffffffffffffff", "0.5", "-2.5", "99.995", "1,234,5.67.8",
                           QStringLiteral("１２３"), QStringLiteral("－１"), QStringLiteral("1，000")};

const char* const kSettings = "comma figure fixed round type minus zero limit";

// Significant digits of a decimal; short ones compare exactly with a double.
int digits(const TDecimal& d)
{
    return int((d.integerDigits() == QLatin1String("0") ? 0 : d.integerDigits().size()) + d.fractionDigits().size());
}

} // namespace

TEST(FuzzNumberEdit, ParsedNumbersFormatToTextsThatReadBackAsTheSameValue)
{
    fuzz::TMutator m(1234);
    TNumberEdit ed;
    QString text;
    std::string settings;
    fuzz::run(
        [&](int) {
            const bool hex = m.chance(5);
            const int figure = m.below(6) - 1;
            const bool limit = m.chance(4);
            ed.setNumberType(hex ? ntHex : ntDecimal);
            ed.setComma(m.chance(2));
            ed.setFigure(figure);
            ed.setFixed(m.chance(2));
            ed.setRoundMode(TRoundMode(m.below(3)));
            ed.setValidMinus(m.chance(2));
            ed.setZeroVisible(!m.chance(4));
            ed.setLimit(false);
            ed.setDecimalMin(TDecimal::fromText(m.text(kNumbers, fuzz::textTokens())));
            ed.setDecimalMax(TDecimal::fromText(m.text(kNumbers, fuzz::textTokens())));
            ed.setLimit(limit);
            settings = QStringLiteral("%1 %2 %3 %4 %5 %6 %7 %8 [%9, %10]")
                           .arg(ed.comma()).arg(figure).arg(ed.fixed()).arg(ed.roundMode()).arg(hex)
                           .arg(ed.validMinus()).arg(ed.zeroVisible()).arg(limit)
                           .arg(ed.decimalMin().toString(), ed.decimalMax().toString()).toStdString();

            text = m.text(kNumbers, fuzz::textTokens());
            const TDecimal v = ed.parseText(text);
            // A strict decimal text reads as the double of the same text.
            TDecimal strict;
            if (TDecimal::parse(text, &strict) && digits(strict) <= 15)
                ASSERT_EQ(strict.toDouble(), text.toDouble());
            ASSERT_EQ(TDecimal::fromText(v.toString()), v);

            const QString shown = ed.formatValue(v, false);
            const TDecimal back = ed.parseText(shown);
            ASSERT_EQ(ed.parseText(ed.formatValue(back, false)), back);
            ASSERT_EQ(ed.parseText(ed.formatValue(v, true)), back);
            if (!ed.zeroVisible())
                ASSERT_EQ(shown.isEmpty(), back.isZero());
            // Within the limits, when they are values the edit can show: on
            // the grid of the decimals shown, or whole numbers of the hexadecimal range.
            const auto onGrid = [&](const TDecimal& d) {
                if (hex)
                    return d.fractionDigits().isEmpty() && d.integerDigits().size() <= 9
                           && (ed.validMinus() || !d.isNegative());
                return figure < 0 || d.fractionDigits().size() <= figure;
            };
            if (limit && onGrid(ed.decimalMin()) && onGrid(ed.decimalMax()) && !(back.isZero() && shown.isEmpty()))
                ASSERT_TRUE(!(back < ed.decimalMin()) && !(back > ed.decimalMax()));
            if (hex) {
                ASSERT_TRUE(back.fractionDigits().isEmpty());
                if (!limit)
                    ASSERT_EQ(back, v);   // what a text reads as is in range already
            } else if (figure < 0 && !limit) {
                ASSERT_EQ(back, v);
            } else if (!limit) {
                ASSERT_LE(back.fractionDigits().size(), figure);
                // Rounded by less than one unit of the last decimal kept, in the set direction.
                if (digits(v) <= 15) {
                    const double diff = std::fabs(back.toDouble() - v.toDouble());
                    ASSERT_LT(diff, std::pow(10.0, -figure) * (1 + 1e-9));
                    const bool magnitudeUp = std::fabs(back.toDouble()) > std::fabs(v.toDouble());
                    if (ed.roundMode() == rmDown)
                        ASSERT_FALSE(magnitudeUp);
                    if (ed.roundMode() == rmUp)
                        ASSERT_FALSE(std::fabs(back.toDouble()) < std::fabs(v.toDouble()));
                }
            }

            // Typed text: regrouping while typing keeps the value, and the
            // value held is the text's value rounded as on leaving.
            ed.setLimit(false);
            ed.setText(text);
            const TDecimal typed = ed.parseText(text.left(ed.maxLength()));
            ASSERT_EQ(ed.parseText(ed.text()), typed);
            if (!hex)
                ASSERT_EQ(ed.parseText(ed.formatValue(ed.decimalValue(), false)),
                          ed.parseText(ed.formatValue(typed, false)));
        },
        [&] { return fuzz::show(text) + " with " + kSettings + " = " + settings; });
}
