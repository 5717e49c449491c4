// TNumberEdit, driven offscreen with key events and the clipboard.

#include "controls/NumberEdit.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

namespace {

// A window with the numeric edit between two ordinary edits, so that the
// focus can enter and leave it.
struct NumberForm {
    QWidget win;
    QLineEdit* before = nullptr;
    TNumberEdit* ed = nullptr;
    QLineEdit* after = nullptr;

    NumberForm()
    {
        auto* lay = new QHBoxLayout(&win);
        before = new QLineEdit(&win);
        ed = new TNumberEdit(&win);
        ed->setObjectName(QStringLiteral("nedtID"));
        after = new QLineEdit(&win);
        lay->addWidget(before);
        lay->addWidget(ed);
        lay->addWidget(after);
        win.show();
        win.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&win));
        before->setFocus(Qt::OtherFocusReason);
    }
    // Enters the edit as Tab would.
    void enter() { ed->setFocus(Qt::TabFocusReason); }
    // Leaves the edit as Tab would.
    void leave() { QTest::keyClick(ed, Qt::Key_Tab); }
    void type(const QString& keys) { QTest::keyClicks(ed, keys); }
    void key(Qt::Key k, Qt::KeyboardModifiers m = Qt::NoModifier) { QTest::keyClick(ed, k, m); }
    void paste(const QString& text)
    {
        QGuiApplication::clipboard()->setText(text);
        QTest::keyClick(ed, Qt::Key_V, Qt::ControlModifier);
    }
};

TDecimal dec(const char* s) { return TDecimal::fromText(QString::fromLatin1(s)); }

} // namespace

// --- the exact decimal value -------------------------------------------------

TEST(Decimal, ParsesAndPrintsExactly)
{
    EXPECT_EQ(dec("9999999999").toString(), QStringLiteral("9999999999"));
    EXPECT_EQ(dec("-0012.500").toString(), QStringLiteral("-12.5"));
    EXPECT_EQ(dec("+.5").toString(), QStringLiteral("0.5"));
    EXPECT_EQ(dec("-0.000").toString(), QStringLiteral("0"));
    EXPECT_EQ(dec("12.").toString(), QStringLiteral("12"));
    TDecimal d;
    EXPECT_FALSE(TDecimal::parse(u"1.2.3", &d));
    EXPECT_FALSE(TDecimal::parse(u"-", &d));
    EXPECT_FALSE(TDecimal::parse(u"1e5", &d));
    EXPECT_TRUE(dec("abc").isZero());
}

TEST(Decimal, FromDoubleIsTheShortestExactText)
{
    EXPECT_EQ(TDecimal::fromDouble(0.29).toString(), QStringLiteral("0.29"));
    EXPECT_EQ(TDecimal::fromDouble(1234.56).toString(), QStringLiteral("1234.56"));
    EXPECT_EQ(TDecimal::fromDouble(9999999999.0).toString(), QStringLiteral("9999999999"));
    EXPECT_EQ(TDecimal::fromDouble(1e20).toString(), QStringLiteral("100000000000000000000"));
    EXPECT_EQ(TDecimal::fromDouble(-1e-7).toString(), QStringLiteral("-0.0000001"));
    EXPECT_EQ(TDecimal::fromDouble(0.0).toString(), QStringLiteral("0"));
}

TEST(Decimal, ComparesAndConverts)
{
    EXPECT_LT(dec("-2"), dec("-1.5"));
    EXPECT_LT(dec("1.05"), dec("1.5"));
    EXPECT_GT(dec("10"), dec("9.99"));
    EXPECT_EQ(dec("1.50"), dec("1.5"));
    EXPECT_EQ(dec("-7.9").toInt64(), -7);
    EXPECT_EQ(dec("9876543210.99").toInt64(), 9876543210LL);
    EXPECT_EQ(dec("99999999999999999999").toInt64(), std::numeric_limits<qint64>::max());
    EXPECT_EQ(dec("2.5").roundedToInteger().toString(), QStringLiteral("3"));
    EXPECT_EQ(dec("-2.5").roundedToInteger().toString(), QStringLiteral("-3"));
}

// --- rounding on the decimal text -----------------------------------------------

TEST(RoundDecimalText, ModesAndCarries)
{
    EXPECT_EQ(roundDecimalText("-5.96", 1, rmRound), QStringLiteral("-6.0"));
    EXPECT_EQ(roundDecimalText("-5.96", 1, rmDown), QStringLiteral("-5.9"));
    EXPECT_EQ(roundDecimalText("1.01", 1, rmUp), QStringLiteral("1.1"));
    EXPECT_EQ(roundDecimalText("1.00", 1, rmUp), QStringLiteral("1.0"));
    EXPECT_EQ(roundDecimalText("9.99", 1, rmRound), QStringLiteral("10.0"));
    EXPECT_EQ(roundDecimalText("99.95", 1, rmRound), QStringLiteral("100.0"));
    EXPECT_EQ(roundDecimalText("-0.96", 1, rmUp), QStringLiteral("-1.0"));
    EXPECT_EQ(roundDecimalText("2.5", 0, rmRound), QStringLiteral("3."));
    EXPECT_EQ(roundDecimalText("2.4", 0, rmRound), QStringLiteral("2."));
    EXPECT_EQ(roundDecimalText("0.001", 2, rmUp), QStringLiteral("0.01"));
    EXPECT_EQ(roundDecimalText("0.0049", 2, rmRound), QStringLiteral("0.00"));
    EXPECT_EQ(roundDecimalText("12.3", 2, rmRound), QStringLiteral("12.3"));
    EXPECT_EQ(roundDecimalText("12", 2, rmRound), QStringLiteral("12"));
    EXPECT_EQ(roundDecimalText("12.345", -1, rmRound), QStringLiteral("12.345"));
    EXPECT_EQ(roundDecimalText(".96", 1, rmRound), QStringLiteral("1.0"));
}

// --- the widget ----------------------------------------------------------------

TEST(NumberEdit, DefaultsAsCreated)
{
    TNumberEdit ed;
    EXPECT_EQ(ed.text(), QStringLiteral("0"));
    EXPECT_TRUE(ed.alignment() & Qt::AlignRight);
    EXPECT_FALSE(ed.comma());
    EXPECT_EQ(ed.figure(), -1);
    EXPECT_FALSE(ed.fixed());
    EXPECT_FALSE(ed.limit());
    EXPECT_EQ(int(ed.limitOptions()), int(loMax | loMin));
    EXPECT_EQ(ed.numberType(), ntDecimal);
    EXPECT_EQ(ed.max(), 0.0);
    EXPECT_EQ(ed.min(), 0.0);
    EXPECT_EQ(ed.maxIntLength(), 0);
    EXPECT_EQ(ed.roundMode(), rmDown);
    EXPECT_FALSE(ed.validMinus());
    EXPECT_EQ(ed.value(), 0.0);
    EXPECT_TRUE(ed.zeroVisible());
    EXPECT_FALSE(ed.testAttribute(Qt::WA_InputMethodEnabled));
}

TEST(NumberEdit, ZeroShownBlankAndBlankReadsZero)
{
    NumberForm f;
    f.ed->setFigure(0);
    f.ed->setZeroVisible(false);
    EXPECT_EQ(f.ed->text(), QString());
    f.ed->setAsInt64(0);
    EXPECT_EQ(f.ed->text(), QString());
    f.ed->setAsInt64(42);
    EXPECT_EQ(f.ed->text(), QStringLiteral("42"));
    f.ed->setText(QString());
    EXPECT_EQ(f.ed->asInt64(), 0);
    f.enter();
    f.type(QStringLiteral("0"));
    f.leave();
    EXPECT_EQ(f.ed->text(), QString());
    EXPECT_EQ(f.ed->value(), 0.0);
}

TEST(NumberEdit, LiveThousandsSeparatorsKeepTheCaretAfterTheLastDigit)
{
    NumberForm f;
    f.ed->setComma(true);
    f.ed->setZeroVisible(false);
    f.enter();
    QStringList seen;
    for (QChar c : QStringLiteral("1234567")) {
        f.type(QString(c));
        seen << f.ed->text();
        EXPECT_EQ(f.ed->cursorPosition(), f.ed->text().size()) << f.ed->text().toStdString();
    }
    EXPECT_EQ(seen, (QStringList{"1", "12", "123", "1,234", "12,345", "123,456", "1,234,567"}));
    EXPECT_EQ(f.ed->asInt64(), 1234567);
    // Typing after a leading zero and a decimal part keeps the grouping.
    f.type(QStringLiteral(".25"));
    EXPECT_EQ(f.ed->text(), QStringLiteral("1,234,567.25"));
    EXPECT_EQ(f.ed->decimalValue().toString(), QStringLiteral("1234567.25"));
    // Backspacing back through a group regroups.
    f.ed->setCursorPosition(9);
    f.key(Qt::Key_Backspace);
    EXPECT_EQ(f.ed->text(), QStringLiteral("123,456.25"));
    f.leave();
    EXPECT_EQ(f.ed->text(), QStringLiteral("123,456.25"));
}

TEST(NumberEdit, RoundingOnLeavingWithEachMode)
{
    struct Case {
        TRoundMode mode;
        const char* typed;
        const char* shown;
    };
    for (const Case& c : {Case{rmRound, "-5.96", "-6.0"}, Case{rmDown, "-5.96", "-5.9"}, Case{rmUp, "1.01", "1.1"},
                          Case{rmRound, "9.95", "10.0"}, Case{rmUp, "-0.01", "-0.1"}}) {
        NumberForm f;
        f.ed->setFigure(1);
        f.ed->setRoundMode(c.mode);
        f.enter();
        f.type(QString::fromLatin1(c.typed));
        EXPECT_EQ(f.ed->text(), QString::fromLatin1(c.typed)) << "the text is kept while typing";
        f.leave();
        EXPECT_EQ(f.ed->text(), QString::fromLatin1(c.shown)) << c.typed;
        EXPECT_EQ(f.ed->decimalValue(), dec(c.shown));
    }
}

TEST(NumberEdit, ValueDuringTypingIsRoundedToFigure)
{
    NumberForm f;
    f.ed->setFigure(1);
    f.ed->setRoundMode(rmRound);
    f.enter();
    f.type(QStringLiteral("-5.96"));
    EXPECT_EQ(f.ed->decimalValue().toString(), QStringLiteral("-6"));
    EXPECT_EQ(f.ed->text(), QStringLiteral("-5.96"));
}

TEST(NumberEdit, PatientNumberClampedOnlyOnLeaving)
{
    NumberForm f;
    f.ed->setFigure(0);
    f.ed->setZeroVisible(false);
    f.ed->setMax(9999999999.0);
    f.ed->setLimit(true);
    f.enter();
    f.type(QStringLiteral("12345678901"));
    EXPECT_EQ(f.ed->text(), QStringLiteral("12345678901"));
    EXPECT_EQ(f.ed->asInt64(), 9999999999LL) << "the value is clamped at once";
    f.leave();
    EXPECT_EQ(f.ed->text(), QStringLiteral("9999999999"));
    EXPECT_EQ(f.ed->asInt64(), 9999999999LL);
    // A 10-digit number is held exactly.
    f.ed->setAsInt64(1234567891LL);
    EXPECT_EQ(f.ed->text(), QStringLiteral("1234567891"));
    EXPECT_EQ(f.ed->asInt64(), 1234567891LL);
    f.ed->setValue(9876543210.0);
    EXPECT_EQ(f.ed->text(), QStringLiteral("9876543210"));
    EXPECT_EQ(f.ed->asInt64(), 9876543210LL);
    // Below Min (0) with loMin.
    f.ed->setAsInt64(-5);
    EXPECT_EQ(f.ed->text(), QString());
    EXPECT_EQ(f.ed->asInt64(), 0);
}

TEST(NumberEdit, TwoDecimalAmountsAreExact)
{
    NumberForm f;
    f.ed->setFigure(2);
    f.ed->setFixed(true);
    f.ed->setComma(true);
    f.ed->setValue(0.29);
    EXPECT_EQ(f.ed->text(), QStringLiteral("0.29"));
    f.ed->setValue(1234.5);
    EXPECT_EQ(f.ed->text(), QStringLiteral("1,234.50"));
    f.ed->setValue(1.15);
    EXPECT_EQ(f.ed->text(), QStringLiteral("1.15"));
    f.ed->setValue(-12);
    EXPECT_EQ(f.ed->text(), QStringLiteral("-12.00"));
    EXPECT_EQ(f.ed->formattedText(), QStringLiteral("-12.00"));
    EXPECT_EQ(f.ed->asText(), QStringLiteral("-12"));
    f.enter();
    f.type(QStringLiteral("19.999"));
    f.leave();
    EXPECT_EQ(f.ed->text(), QStringLiteral("19.99")) << "rmDown cuts";
    EXPECT_EQ(f.ed->decimalValue().toString(), QStringLiteral("19.99"));
    f.ed->setFigure(0);
    EXPECT_EQ(f.ed->text(), QStringLiteral("19")) << "Figure 0 with Fixed drops the separator";
}

TEST(NumberEdit, MinusTwiceAndPlus)
{
    NumberForm f;
    f.ed->setValue(12);
    f.enter();
    f.ed->end(false);
    f.key(Qt::Key_Minus);
    EXPECT_EQ(f.ed->text(), QStringLiteral("-12"));
    EXPECT_EQ(f.ed->cursorPosition(), 3) << "the caret moves with the text";
    EXPECT_EQ(f.ed->asInt64(), -12);
    f.key(Qt::Key_Minus);
    EXPECT_EQ(f.ed->text(), QStringLiteral("12"));
    EXPECT_EQ(f.ed->cursorPosition(), 2);
    EXPECT_EQ(f.ed->asInt64(), 12);
    f.key(Qt::Key_Plus);
    EXPECT_EQ(f.ed->text(), QStringLiteral("+12"));
    f.key(Qt::Key_Minus);
    EXPECT_EQ(f.ed->text(), QStringLiteral("-12"));
    f.key(Qt::Key_Plus);
    EXPECT_EQ(f.ed->text(), QStringLiteral("+12"));
    f.leave();
    EXPECT_EQ(f.ed->text(), QStringLiteral("+12")) << "a leading + stays";
    EXPECT_EQ(f.ed->asInt64(), 12);
}

TEST(NumberEdit, SignReplacesASelectionAtTheFront)
{
    NumberForm f;
    f.ed->setValue(345);
    f.enter(); // selects all
    ASSERT_EQ(f.ed->selectedText(), QStringLiteral("345"));
    f.key(Qt::Key_Minus);
    EXPECT_EQ(f.ed->text(), QStringLiteral("-"));
    EXPECT_EQ(f.ed->value(), 0.0);
    f.type(QStringLiteral("7"));
    EXPECT_EQ(f.ed->text(), QStringLiteral("-7"));
    EXPECT_EQ(f.ed->asInt64(), -7);
}

TEST(NumberEdit, TypingRules)
{
    NumberForm f;
    f.ed->setText(QString());
    f.enter();
    f.type(QStringLiteral("1a2 b,3.4.5x"));
    EXPECT_EQ(f.ed->text(), QStringLiteral("123.45")) << "letters, blanks, commas and a second separator are refused";
    // Nothing is typed in front of a sign.
    f.ed->setText(QStringLiteral("-12"));
    f.ed->setCursorPosition(0);
    f.type(QStringLiteral("9."));
    EXPECT_EQ(f.ed->text(), QStringLiteral("-12"));
    // Ctrl lets every key pass (select all, then type over it).
    f.key(Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(f.ed->selectedText(), QStringLiteral("-12"));
    f.type(QStringLiteral("8"));
    EXPECT_EQ(f.ed->text(), QStringLiteral("8"));
}

TEST(NumberEdit, MaxIntLength)
{
    NumberForm f;
    f.ed->setText(QString());
    f.ed->setMaxIntLength(3);
    f.enter();
    f.type(QStringLiteral("-12345"));
    EXPECT_EQ(f.ed->text(), QStringLiteral("-123"));
    f.type(QStringLiteral(".456"));
    EXPECT_EQ(f.ed->text(), QStringLiteral("-123.456")) << "decimals are not limited";
    f.ed->setCursorPosition(2);
    f.type(QStringLiteral("9"));
    EXPECT_EQ(f.ed->text(), QStringLiteral("-123.456")) << "refused before the separator";
    f.ed->setSelection(1, 1); // "1"
    f.type(QStringLiteral("9"));
    EXPECT_EQ(f.ed->text(), QStringLiteral("-923.456")) << "replacing a digit is allowed";
}

TEST(NumberEdit, PastingCharacterByCharacter)
{
    NumberForm f;
    f.ed->setZeroVisible(false);
    f.ed->setText(QString());
    f.enter();
    f.paste(QStringLiteral("a1.2.3"));
    EXPECT_EQ(f.ed->text(), QStringLiteral("1.23"));
    EXPECT_EQ(f.ed->decimalValue().toString(), QStringLiteral("1.23"));

    // The same pasted one character at a time.
    f.ed->setText(QString());
    for (const char* s : {"a", "1", ".", "2", ".", "3"})
        f.paste(QString::fromLatin1(s));
    EXPECT_EQ(f.ed->text(), QStringLiteral("1.23"));
    f.leave();
    EXPECT_TRUE(f.ed->isModified());
}

TEST(NumberEdit, PastingSignsAndSelections)
{
    NumberForm f;
    f.ed->setText(QString());
    f.enter();
    f.paste(QStringLiteral("-1,234"));
    EXPECT_EQ(f.ed->text(), QStringLiteral("-1234"));
    EXPECT_EQ(f.ed->asInt64(), -1234);
    // Nothing is pasted in front of the sign.
    f.ed->setCursorPosition(0);
    f.paste(QStringLiteral("9"));
    EXPECT_EQ(f.ed->text(), QStringLiteral("-1234"));
    // A sign is only taken at the very start of a text without one.
    f.ed->end(false);
    f.paste(QStringLiteral("-5"));
    EXPECT_EQ(f.ed->text(), QStringLiteral("-12345"));
    // The selection is replaced.
    f.ed->setSelection(1, 2);
    f.paste(QStringLiteral("77"));
    EXPECT_EQ(f.ed->text(), QStringLiteral("-77345"));
    // With thousands separators the pasted digits are regrouped.
    f.ed->setComma(true);
    f.ed->setText(QString());
    f.paste(QStringLiteral("1234567"));
    EXPECT_EQ(f.ed->text(), QStringLiteral("1,234,567"));
}

TEST(NumberEdit, Hexadecimal)
{
    NumberForm f;
    f.ed->setNumberType(ntHex);
    f.ed->setText(QString());
    f.enter();
    f.type(QStringLiteral("1fg-+."));
    EXPECT_EQ(f.ed->text(), QStringLiteral("1f")) << "only hexadecimal digits without ValidMinus";
    EXPECT_EQ(f.ed->asInt64(), 31);
    f.leave();
    EXPECT_EQ(f.ed->text(), QStringLiteral("1F"));
    f.ed->setFigure(4);
    EXPECT_EQ(f.ed->text(), QStringLiteral("001F")) << "at least Figure digits";

    f.ed->setValidMinus(true);
    f.enter();
    f.ed->end(false);
    f.key(Qt::Key_Minus);
    EXPECT_EQ(f.ed->text(), QStringLiteral("-001F"));
    EXPECT_EQ(f.ed->asInt64(), -31);
    f.key(Qt::Key_Plus);
    EXPECT_EQ(f.ed->text(), QStringLiteral("001F")) << "+ removes the -";
    f.key(Qt::Key_Plus);
    EXPECT_EQ(f.ed->text(), QStringLiteral("001F")) << "+ needs a leading -";
    f.key(Qt::Key_Minus);
    f.leave();
    EXPECT_EQ(f.ed->text(), QStringLiteral("-001F"));

    // Back to decimal: the plain value.
    f.ed->setFigure(-1);
    f.ed->setNumberType(ntDecimal);
    EXPECT_EQ(f.ed->text(), QStringLiteral("-31"));
    f.ed->setNumberType(ntHex);
    f.ed->setValidMinus(false);
    EXPECT_EQ(f.ed->text(), QStringLiteral("0")) << "without ValidMinus the range is 0 to FFFFFFFF";
    f.ed->setText(QStringLiteral("FFFFFFFFFF"));
    EXPECT_EQ(f.ed->asInt64(), 0xFFFFFFFFLL);
    f.ed->setAsInt64(255);
    EXPECT_EQ(f.ed->text(), QStringLiteral("FF"));
}

TEST(NumberEdit, ModifiedFlagFollowsTyping)
{
    NumberForm f;
    f.ed->setValue(5);
    f.enter();
    f.leave();
    EXPECT_FALSE(f.ed->isModified());
    f.enter();
    f.type(QStringLiteral("6"));
    f.leave();
    EXPECT_TRUE(f.ed->isModified());
    EXPECT_EQ(f.ed->asInt64(), 6);
}

TEST(NumberEdit, SignalsForChangeAndExit)
{
    NumberForm f;
    QSignalSpy changed(f.ed, &TNumberEdit::changed);
    QSignalSpy exited(f.ed, &TNumberEdit::exited);
    f.ed->setValue(3); // the control's own rewrite
    EXPECT_EQ(changed.count(), 0);
    f.enter();
    f.type(QStringLiteral("45"));
    EXPECT_EQ(changed.count(), 2);
    EXPECT_EQ(exited.count(), 0);
    f.leave();
    EXPECT_EQ(exited.count(), 1);
    f.ed->setText(QStringLiteral("7")); // a form's change goes through the change handling
    EXPECT_EQ(changed.count(), 3);
    EXPECT_EQ(f.ed->asInt64(), 7);
}

TEST(NumberEdit, EnteringSelectsOrPutsTheCaretAtTheEnd)
{
    NumberForm f;
    f.ed->setValue(1234);
    f.enter();
    EXPECT_EQ(f.ed->selectedText(), QStringLiteral("1234"));
    f.leave();
    f.ed->setAutoSelect(false);
    f.enter();
    EXPECT_FALSE(f.ed->hasSelectedText());
    EXPECT_EQ(f.ed->cursorPosition(), 4);
}

TEST(NumberEdit, LimitsAndRange)
{
    TNumberEdit ed;
    ed.setMin(10);
    EXPECT_EQ(ed.max(), 10.0) << "Min above Max raises Max";
    ed.setMax(5);
    EXPECT_EQ(ed.min(), 5.0) << "Max below Min lowers Min";
    ed.setValue(100);
    EXPECT_EQ(ed.text(), QStringLiteral("100")) << "no clamping without Limit";
    ed.setLimit(true);
    EXPECT_EQ(ed.text(), QStringLiteral("5"));
    ed.setLimitOptions(loMin);
    ed.setValue(100);
    EXPECT_EQ(ed.text(), QStringLiteral("100")) << "no upper clamp without loMax";
    ed.setValue(-100);
    EXPECT_EQ(ed.text(), QStringLiteral("5"));
}

TEST(NumberEdit, AsIntegerClampsTo32Bits)
{
    TNumberEdit ed;
    ed.setAsInt64(5000000000LL);
    EXPECT_EQ(ed.asInteger(), std::numeric_limits<int>::max());
    EXPECT_EQ(ed.asInt64(), 5000000000LL);
    ed.setValue(-7.9);
    EXPECT_EQ(ed.asInteger(), -7);
    ed.setAsInteger(-3);
    EXPECT_EQ(ed.text(), QStringLiteral("-3"));
}

TEST(NumberEdit, ReadOnlyTakesNoKeysNorPastes)
{
    NumberForm f;
    f.ed->setValue(12);
    f.ed->setReadOnly(true);
    f.enter();
    f.ed->end(false);
    f.key(Qt::Key_Minus);
    f.type(QStringLiteral("3"));
    f.paste(QStringLiteral("45"));
    EXPECT_EQ(f.ed->text(), QStringLiteral("12"));
    EXPECT_EQ(f.ed->asInt64(), 12);
}
