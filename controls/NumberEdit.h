#pragma once
// TNumberEdit: a single-line edit for numbers. It accepts only
// what can form a number, keeps the numeric value beside the text, formats
// the text on leaving (thousands separators, fixed decimals, rounding),
// clamps to limits and can show zero as blank.
//
// The value is held exactly as a decimal number (TDecimal), never as binary
// floating point, so 10-digit patient numbers and two-decimal amounts show
// and read back exactly. The decimal separator is "." and the thousands
// separator ",", as in the Japanese locale the forms run in.

#include <QFlags>
#include <QLineEdit>
#include <QString>
#include <QStringView>

// An exact decimal number: sign, integer digits and fraction digits.
class TDecimal {
public:
    TDecimal() = default;

    // Strict plain text: an optional sign, digits, an optional "." and
    // digits (at least one digit in all). False for anything else.
    static bool parse(QStringView text, TDecimal* out);
    static TDecimal fromText(QStringView text); // 0 when not a number
    static TDecimal fromInt64(qint64 v);
    // The shortest decimal that reads back as v; 0 for NaN or infinity.
    static TDecimal fromDouble(double v);

    // Plain text without exponent: "-1234.5", "0".
    QString toString() const;
    bool isZero() const { return m_int == QLatin1String("0") && m_frac.isEmpty(); }
    bool isNegative() const { return m_neg; }
    const QString& integerDigits() const { return m_int; }
    const QString& fractionDigits() const { return m_frac; }

    int compare(const TDecimal& other) const;
    friend bool operator==(const TDecimal& a, const TDecimal& b) { return a.compare(b) == 0; }
    friend bool operator!=(const TDecimal& a, const TDecimal& b) { return a.compare(b) != 0; }
    friend bool operator<(const TDecimal& a, const TDecimal& b) { return a.compare(b) < 0; }
    friend bool operator>(const TDecimal& a, const TDecimal& b) { return a.compare(b) > 0; }

    // The integer part (truncated towards zero).
    TDecimal truncated() const;
    // Rounded to an integer, halves away from zero.
    TDecimal roundedToInteger() const;
    // The integer part clamped to the 64-bit range.
    qint64 toInt64() const;
    double toDouble() const;

private:
    void normalize();
    bool m_neg = false;
    QString m_int = QStringLiteral("0"); // no leading zeros, at least "0"
    QString m_frac;                      // no trailing zeros
};

enum TNumberType { ntDecimal, ntHex };
enum TRoundMode { rmDown, rmRound, rmUp };
enum TLimitOption { loMax = 0x1, loMin = 0x2 };
Q_DECLARE_FLAGS(TLimitOptions, TLimitOption)
Q_DECLARE_OPERATORS_FOR_FLAGS(TLimitOptions)

// Rounds a plain decimal text ("-5.96", no separators) to `figure` decimals
// as designed: nothing changes when figure is negative or the text
// has no more decimals than figure; otherwise the result is the sign, the
// integer part (increased in magnitude by a carry out of the decimals), "."
// and exactly `figure` digits ("12." for figure 0).
QString roundDecimalText(const QString& text, int figure, TRoundMode mode);

class TNumberEdit : public QLineEdit {
    Q_OBJECT
    Q_PROPERTY(bool Comma READ comma WRITE setComma)
    Q_PROPERTY(int Figure READ figure WRITE setFigure)
    Q_PROPERTY(bool Fixed READ fixed WRITE setFixed)
    Q_PROPERTY(bool Limit READ limit WRITE setLimit)
    Q_PROPERTY(int LimitOptions READ limitOptionsInt WRITE setLimitOptionsInt)
    Q_PROPERTY(int NumberType READ numberTypeInt WRITE setNumberTypeInt)
    Q_PROPERTY(double Max READ max WRITE setMax)
    Q_PROPERTY(double Min READ min WRITE setMin)
    Q_PROPERTY(int MaxIntLength READ maxIntLength WRITE setMaxIntLength)
    Q_PROPERTY(int RoundMode READ roundModeInt WRITE setRoundModeInt)
    Q_PROPERTY(bool ValidMinus READ validMinus WRITE setValidMinus)
    Q_PROPERTY(double Value READ value WRITE setValue)
    Q_PROPERTY(bool ZeroVisible READ zeroVisible WRITE setZeroVisible)
    Q_PROPERTY(bool AutoSelect READ autoSelect WRITE setAutoSelect)
    Q_PROPERTY(int AsInteger READ asInteger WRITE setAsInteger)
    Q_PROPERTY(qint64 AsInt64 READ asInt64 WRITE setAsInt64)

public:
    explicit TNumberEdit(QWidget* parent = nullptr);

    // --- value ---------------------------------------------------------
    double value() const { return m_value.toDouble(); }
    void setValue(double v) { setDecimalValue(TDecimal::fromDouble(v)); }
    const TDecimal& decimalValue() const { return m_value; }
    void setDecimalValue(const TDecimal& v);
    int asInteger() const;
    void setAsInteger(int v) { setDecimalValue(TDecimal::fromInt64(v)); }
    qint64 asInt64() const { return m_value.toInt64(); }
    void setAsInt64(qint64 v) { setDecimalValue(TDecimal::fromInt64(v)); }
    // The value as plain text ("-1234.5"; GetAsText).
    QString asText() const { return m_value.toString(); }
    // The value formatted as it is shown on leaving (GetFormattedText).
    QString formattedText() const { return formatValue(m_value, false); }

    // --- properties ----------------------------------------------------
    bool comma() const { return m_comma; }
    void setComma(bool on);
    int figure() const { return m_figure; }
    void setFigure(int n);
    bool fixed() const { return m_fixed; }
    void setFixed(bool on);
    bool limit() const { return m_limit; }
    void setLimit(bool on);
    TLimitOptions limitOptions() const { return m_limitOptions; }
    void setLimitOptions(TLimitOptions o);
    TNumberType numberType() const { return m_numberType; }
    void setNumberType(TNumberType t);
    double max() const { return m_max.toDouble(); }
    void setMax(double v) { setDecimalMax(TDecimal::fromDouble(v)); }
    double min() const { return m_min.toDouble(); }
    void setMin(double v) { setDecimalMin(TDecimal::fromDouble(v)); }
    const TDecimal& decimalMax() const { return m_max; }
    const TDecimal& decimalMin() const { return m_min; }
    void setDecimalMax(const TDecimal& v);
    void setDecimalMin(const TDecimal& v);
    int maxIntLength() const { return m_maxIntLength; }
    void setMaxIntLength(int n) { m_maxIntLength = n < 0 ? 0 : n; }
    TRoundMode roundMode() const { return m_roundMode; }
    void setRoundMode(TRoundMode m);
    bool validMinus() const { return m_validMinus; }
    void setValidMinus(bool on);
    bool zeroVisible() const { return m_zeroVisible; }
    void setZeroVisible(bool on);
    bool autoSelect() const { return m_autoSelect; }
    void setAutoSelect(bool on) { m_autoSelect = on; }

    // True when the user typed or pasted something since entering (FKeyin).
    bool typedIn() const { return m_keyin; }

    // The parse of a text under the current number type.
    TDecimal parseText(const QString& text) const;
    // The formatting (steps 1 to 4); keepPlus keeps a leading "+".
    QString formatValue(TDecimal v, bool keepPlus) const;

signals:
    // After every text change not made by the control itself, once the
    // value has been updated (OnChange).
    void changed();
    // When the focus has left the control and the text was formatted
    // (OnExit); emitted from the focus-out handling itself.
    void exited();
    // When the control received the focus (OnEnter).
    void entered();

public slots:
    // Pastes the clipboard's plain text through the paste filter.
    void pasteFiltered();

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    void contextMenuEvent(QContextMenuEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;

private:
    void onTextChanged();
    void handleChange();
    void pasteText(const QString& source);
    void applySign(QChar sign);
    void setOwnText(const QString& t);
    void showValue(const TDecimal& v);
    void reformat() { showValue(m_value); }
    TDecimal clampValue(const TDecimal& v) const;
    QString hexText(const TDecimal& v) const;
    bool isHex() const { return m_numberType == ntHex; }

    int limitOptionsInt() const { return static_cast<int>(m_limitOptions); }
    void setLimitOptionsInt(int o) { setLimitOptions(TLimitOptions(o)); }
    int numberTypeInt() const { return m_numberType; }
    void setNumberTypeInt(int t) { setNumberType(t == ntHex ? ntHex : ntDecimal); }
    int roundModeInt() const { return m_roundMode; }
    void setRoundModeInt(int m) { setRoundMode(m == rmRound ? rmRound : m == rmUp ? rmUp : rmDown); }

    TDecimal m_value;
    TDecimal m_max;
    TDecimal m_min;
    bool m_comma = false;
    int m_figure = -1;
    bool m_fixed = false;
    bool m_limit = false;
    TLimitOptions m_limitOptions = TLimitOptions(loMax) | loMin;
    TNumberType m_numberType = ntDecimal;
    int m_maxIntLength = 0;
    TRoundMode m_roundMode = rmDown;
    bool m_validMinus = false;
    bool m_zeroVisible = true;
    bool m_autoSelect = true;
    bool m_guard = false; // the control is rewriting its own text
    bool m_keyin = false; // typed into since entering
};
