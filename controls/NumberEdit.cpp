#include "controls/NumberEdit.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLocale>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>

#include <cmath>
#include <limits>

namespace {

const QChar kDecimalSep = QLatin1Char('.');
const QChar kThousandSep = QLatin1Char(',');

bool isDigit(QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); }

bool isHexDigit(QChar c)
{
    return isDigit(c) || (c >= QLatin1Char('A') && c <= QLatin1Char('F'))
           || (c >= QLatin1Char('a') && c <= QLatin1Char('f'));
}

bool isSign(QChar c) { return c == QLatin1Char('-') || c == QLatin1Char('+'); }

// Adds 1 to a string of decimal digits ("" counts as 0).
QString incrementDigits(QString digits)
{
    int i = static_cast<int>(digits.size()) - 1;
    while (i >= 0) {
        if (digits[i] == QLatin1Char('9')) {
            digits[i] = QLatin1Char('0');
            --i;
        } else {
            digits[i] = QChar(digits[i].unicode() + 1);
            return digits;
        }
    }
    return QLatin1Char('1') + digits;
}

// "#,##0" applied to a string of digits: leading zeros dropped, groups of three.
QString groupDigits(const QString& digits)
{
    QString d = digits;
    while (d.size() > 1 && d.startsWith(QLatin1Char('0')))
        d.remove(0, 1);
    if (d.isEmpty())
        d = QStringLiteral("0");
    QString out;
    const int n = static_cast<int>(d.size());
    for (int i = 0; i < n; ++i) {
        if (i > 0 && (n - i) % 3 == 0)
            out += kThousandSep;
        out += d[i];
    }
    return out;
}

// Thousands separators and control characters removed, blanks trimmed.
QString cleanText(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (QChar c : text)
        if (c != kThousandSep && c.unicode() >= 0x20 && c.unicode() != 0x7f)
            out += c;
    return out.trimmed();
}

} // namespace

// ---------------------------------------------------------------------------
// TDecimal

void TDecimal::normalize()
{
    int lead = 0;
    while (lead < m_int.size() - 1 && m_int[lead] == QLatin1Char('0'))
        ++lead;
    m_int.remove(0, lead);
    if (m_int.isEmpty())
        m_int = QStringLiteral("0");
    while (m_frac.endsWith(QLatin1Char('0')))
        m_frac.chop(1);
    if (isZero())
        m_neg = false;
}

bool TDecimal::parse(QStringView text, TDecimal* out)
{
    int i = 0;
    bool neg = false;
    if (!text.isEmpty() && isSign(text[0])) {
        neg = text[0] == QLatin1Char('-');
        i = 1;
    }
    QString ip;
    QString fp;
    bool dot = false;
    for (; i < text.size(); ++i) {
        const QChar c = text[i];
        if (isDigit(c))
            (dot ? fp : ip) += c;
        else if (c == kDecimalSep && !dot)
            dot = true;
        else
            return false;
    }
    if (ip.isEmpty() && fp.isEmpty())
        return false;
    if (out) {
        out->m_neg = neg;
        out->m_int = ip;
        out->m_frac = fp;
        out->normalize();
    }
    return true;
}

TDecimal TDecimal::fromText(QStringView text)
{
    TDecimal d;
    if (!parse(text, &d))
        return TDecimal();
    return d;
}

TDecimal TDecimal::fromInt64(qint64 v)
{
    TDecimal d;
    d.m_neg = v < 0;
    // The magnitude of the smallest value does not fit; go through unsigned.
    const quint64 mag = v < 0 ? quint64(0) - quint64(v) : quint64(v);
    d.m_int = QString::number(mag);
    d.normalize();
    return d;
}

TDecimal TDecimal::fromDouble(double v)
{
    if (!std::isfinite(v))
        return TDecimal();
    // Shortest round-trip digits in exponent form, expanded into plain digits.
    const QString e = QString::number(v, 'e', QLocale::FloatingPointShortest);
    const int epos = static_cast<int>(e.indexOf(QLatin1Char('e')));
    QString mant = epos < 0 ? e : e.left(epos);
    const int exp = epos < 0 ? 0 : e.mid(epos + 1).toInt();
    TDecimal d;
    if (mant.startsWith(QLatin1Char('-'))) {
        d.m_neg = true;
        mant.remove(0, 1);
    }
    const int dot = static_cast<int>(mant.indexOf(kDecimalSep));
    QString digits = mant;
    int intLen = static_cast<int>(mant.size());
    if (dot >= 0) {
        digits.remove(dot, 1);
        intLen = dot;
    }
    intLen += exp;
    if (intLen <= 0) {
        d.m_int = QStringLiteral("0");
        d.m_frac = QString(-intLen, QLatin1Char('0')) + digits;
    } else if (intLen >= digits.size()) {
        d.m_int = digits + QString(intLen - digits.size(), QLatin1Char('0'));
    } else {
        d.m_int = digits.left(intLen);
        d.m_frac = digits.mid(intLen);
    }
    d.normalize();
    return d;
}

QString TDecimal::toString() const
{
    QString s = m_neg ? QStringLiteral("-") : QString();
    s += m_int;
    if (!m_frac.isEmpty())
        s += kDecimalSep + m_frac;
    return s;
}

int TDecimal::compare(const TDecimal& o) const
{
    if (m_neg != o.m_neg)
        return m_neg ? -1 : 1;
    int mag = 0;
    if (m_int.size() != o.m_int.size()) {
        mag = m_int.size() < o.m_int.size() ? -1 : 1;
    } else {
        mag = m_int.compare(o.m_int);
        if (mag == 0) {
            const qsizetype n = std::max(m_frac.size(), o.m_frac.size());
            mag = m_frac.leftJustified(n, QLatin1Char('0')).compare(o.m_frac.leftJustified(n, QLatin1Char('0')));
        }
        mag = mag < 0 ? -1 : mag > 0 ? 1 : 0;
    }
    return m_neg ? -mag : mag;
}

TDecimal TDecimal::truncated() const
{
    TDecimal d = *this;
    d.m_frac.clear();
    d.normalize();
    return d;
}

TDecimal TDecimal::roundedToInteger() const
{
    TDecimal d = truncated();
    if (!m_frac.isEmpty() && m_frac[0] >= QLatin1Char('5')) {
        d.m_int = incrementDigits(d.m_int);
        d.m_neg = m_neg;
    }
    d.normalize();
    return d;
}

qint64 TDecimal::toInt64() const
{
    bool ok = false;
    const qint64 v = (m_neg ? QLatin1Char('-') + m_int : m_int).toLongLong(&ok);
    if (ok)
        return v;
    return m_neg ? std::numeric_limits<qint64>::min() : std::numeric_limits<qint64>::max();
}

double TDecimal::toDouble() const { return toString().toDouble(); }

// ---------------------------------------------------------------------------
// Rounding on the decimal text

QString roundDecimalText(const QString& text, int figure, TRoundMode mode)
{
    const int dot = static_cast<int>(text.indexOf(kDecimalSep));
    if (figure < 0 || dot < 0)
        return text;
    QString sign;
    int start = 0;
    if (!text.isEmpty() && isSign(text[0])) {
        sign = text[0];
        start = 1;
    }
    QString ip = text.mid(start, dot - start);
    const QString fp = text.mid(dot + 1);
    if (fp.size() <= figure)
        return text;
    QString kept = fp.left(figure);
    const QString dropped = fp.mid(figure);
    bool carry = false;
    switch (mode) {
    case rmDown:
        break;
    case rmRound:
        carry = dropped[0] >= QLatin1Char('5');
        break;
    case rmUp:
        for (QChar c : dropped)
            if (c != QLatin1Char('0'))
                carry = true;
        break;
    }
    if (carry) {
        int i = static_cast<int>(kept.size()) - 1;
        while (carry && i >= 0) {
            if (kept[i] == QLatin1Char('9')) {
                kept[i] = QLatin1Char('0');
                --i;
            } else {
                kept[i] = QChar(kept[i].unicode() + 1);
                carry = false;
            }
        }
        if (carry)
            ip = incrementDigits(ip);
    }
    return sign + ip + kDecimalSep + kept;
}

// ---------------------------------------------------------------------------
// TNumberEdit

TNumberEdit::TNumberEdit(QWidget* parent)
    : QLineEdit(parent)
{
    setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    setAttribute(Qt::WA_InputMethodEnabled, false);
    setInputMethodHints(Qt::ImhPreferNumbers | Qt::ImhNoPredictiveText);
    setAcceptDrops(false);
    connect(this, &QLineEdit::textChanged, this, &TNumberEdit::onTextChanged);
    setOwnText(QStringLiteral("0"));
}

int TNumberEdit::asInteger() const
{
    const qint64 v = m_value.toInt64();
    return static_cast<int>(std::clamp<qint64>(v, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

void TNumberEdit::setOwnText(const QString& t)
{
    const bool old = m_guard;
    m_guard = true;
    setText(t);
    m_guard = old;
}

TDecimal TNumberEdit::parseText(const QString& text) const
{
    const QString t = cleanText(text);
    if (t.isEmpty() || t == QLatin1String("-") || t == QLatin1String("+"))
        return TDecimal();
    if (!isHex())
        return TDecimal::fromText(t);

    int i = 0;
    bool neg = false;
    if (isSign(t[0])) {
        neg = t[0] == QLatin1Char('-');
        i = 1;
    }
    quint64 mag = 0;
    bool over = false;
    for (; i < t.size(); ++i) {
        const QChar c = t[i];
        if (!isHexDigit(c))
            return TDecimal();
        const int d = c.isDigit() ? c.unicode() - '0' : (c.toUpper().unicode() - 'A' + 10);
        if (mag > (std::numeric_limits<quint64>::max() >> 4))
            over = true;
        mag = (mag << 4) | quint64(d);
    }
    if (m_validMinus) {
        // 64-bit, a leading "-" negates.
        const quint64 lim = neg ? quint64(std::numeric_limits<qint64>::max()) + 1
                                : quint64(std::numeric_limits<qint64>::max());
        if (over || mag > lim)
            mag = lim;
        if (neg)
            return mag == lim ? TDecimal::fromInt64(std::numeric_limits<qint64>::min())
                              : TDecimal::fromInt64(-qint64(mag));
        return TDecimal::fromInt64(qint64(mag));
    }
    // Without ValidMinus: an unsigned 32-bit number, larger texts read as FFFFFFFF.
    if (over || mag > 0xFFFFFFFFull)
        mag = 0xFFFFFFFFull;
    return TDecimal::fromInt64(qint64(mag));
}

TDecimal TNumberEdit::clampValue(const TDecimal& v) const
{
    if ((m_limitOptions & loMin) && v < m_min)
        return m_min;
    if ((m_limitOptions & loMax) && v > m_max)
        return m_max;
    return v;
}

QString TNumberEdit::hexText(const TDecimal& v) const
{
    const TDecimal r = v.roundedToInteger();
    QString digits;
    bool neg = false;
    if (m_validMinus) {
        const qint64 i = r.toInt64();
        neg = i < 0;
        const quint64 mag = neg ? quint64(0) - quint64(i) : quint64(i);
        digits = QString::number(mag, 16).toUpper();
    } else {
        // The unsigned 32-bit range.
        qint64 i = r.toInt64();
        i = std::clamp<qint64>(i, 0, 0xFFFFFFFFll);
        digits = QString::number(quint64(i), 16).toUpper();
    }
    const int width = std::max(m_figure, 1);
    if (digits.size() < width)
        digits = QString(width - digits.size(), QLatin1Char('0')) + digits;
    return neg ? QLatin1Char('-') + digits : digits;
}

QString TNumberEdit::formatValue(TDecimal v, bool keepPlus) const
{
    if (m_limit)
        v = clampValue(v);
    QString s;
    if (isHex()) {
        s = hexText(v);
    } else {
        s = roundDecimalText(v.toString(), m_figure, m_roundMode);
        QString sign;
        if (!s.isEmpty() && isSign(s[0])) {
            sign = s[0];
            s.remove(0, 1);
        }
        const int dot = static_cast<int>(s.indexOf(kDecimalSep));
        QString ip = dot < 0 ? s : s.left(dot);
        QString fp = dot < 0 ? QString() : s.mid(dot + 1);
        bool hasDot = dot >= 0;
        if (m_comma)
            ip = groupDigits(ip);
        if (m_fixed && m_figure >= 0) {
            if (m_figure == 0) {
                hasDot = false;
                fp.clear();
            } else {
                hasDot = true;
                fp = fp.left(m_figure).leftJustified(m_figure, QLatin1Char('0'));
            }
        }
        if (keepPlus && sign.isEmpty())
            sign = QStringLiteral("+");
        s = sign + ip + (hasDot ? kDecimalSep + fp : QString());
        if (s.endsWith(kDecimalSep))
            s.chop(1);
    }
    if (!m_zeroVisible && parseText(s).isZero())
        s.clear();
    return s;
}

void TNumberEdit::showValue(const TDecimal& v)
{
    const QString s = formatValue(v, false);
    setOwnText(s);
    m_value = parseText(s);
}

void TNumberEdit::setDecimalValue(const TDecimal& v)
{
    showValue(m_limit ? clampValue(v) : v);
}

void TNumberEdit::setComma(bool on)
{
    m_comma = on;
    reformat();
}

void TNumberEdit::setFigure(int n)
{
    m_figure = n;
    reformat();
}

void TNumberEdit::setFixed(bool on)
{
    m_fixed = on;
    reformat();
}

void TNumberEdit::setLimit(bool on)
{
    m_limit = on;
    reformat();
}

void TNumberEdit::setLimitOptions(TLimitOptions o)
{
    m_limitOptions = o;
    reformat();
}

void TNumberEdit::setNumberType(TNumberType t)
{
    m_numberType = t;
    reformat();
}

void TNumberEdit::setDecimalMax(const TDecimal& v)
{
    m_max = v;
    if (m_min > m_max)
        m_min = m_max;
    reformat();
}

void TNumberEdit::setDecimalMin(const TDecimal& v)
{
    m_min = v;
    if (m_max < m_min)
        m_max = m_min;
    reformat();
}

void TNumberEdit::setRoundMode(TRoundMode m)
{
    m_roundMode = m;
}

void TNumberEdit::setValidMinus(bool on)
{
    m_validMinus = on;
    reformat();
}

void TNumberEdit::setZeroVisible(bool on)
{
    m_zeroVisible = on;
    reformat();
}

// --- change handling -------------------------------------------------------

void TNumberEdit::onTextChanged()
{
    if (m_guard)
        return;
    handleChange();
}

void TNumberEdit::handleChange()
{
    QString t = text();
    const QString clean = cleanText(t);
    if (clean.isEmpty() || clean == QLatin1String("-") || clean == QLatin1String("+")) {
        m_value = TDecimal();
        emit changed();
        return;
    }
    if (isHex()) {
        m_value = parseText(t);
        if (m_limit)
            m_value = clampValue(m_value);
        emit changed();
        return;
    }
    m_value = parseText(t);
    if (m_comma) {
        // Regroup the integer part at once; sign and decimals are kept.
        int start = 0;
        if (!t.isEmpty() && isSign(t[0]))
            start = 1;
        const int dot = static_cast<int>(t.indexOf(kDecimalSep));
        const int end = dot < 0 ? static_cast<int>(t.size()) : dot;
        const QString ip = t.mid(start, end - start);
        bool plain = true;
        QString digits;
        for (QChar c : ip) {
            if (isDigit(c))
                digits += c;
            else if (c != kThousandSep)
                plain = false;
        }
        if (plain) {
            const QString nt = t.left(start) + groupDigits(digits) + t.mid(end);
            // A grouped text the edit's length would cut is left ungrouped.
            if (nt != t && nt.size() <= maxLength()) {
                const int cur = cursorPosition();
                const int delta = static_cast<int>(nt.size() - t.size());
                setOwnText(nt);
                setCursorPosition(std::clamp(cur + delta, 0, static_cast<int>(nt.size())));
                t = nt;
            }
        }
    }
    // Rounded from what the text reads as: a text that is no number stays 0.
    m_value = TDecimal::fromText(roundDecimalText(parseText(t).toString(), m_figure, m_roundMode));
    if (m_limit)
        m_value = clampValue(m_value);
    emit changed();
}

// --- typing ----------------------------------------------------------------

void TNumberEdit::applySign(QChar s)
{
    QString t = text();
    int cur = cursorPosition();
    if (hasSelectedText() && selectionStart() == 0) {
        const int len = static_cast<int>(selectedText().size());
        t.remove(0, len);
        cur = 0;
    }
    const QChar first = t.isEmpty() ? QChar() : t[0];
    const QChar other = s == QLatin1Char('-') ? QLatin1Char('+') : QLatin1Char('-');
    if (first == s) {
        t.remove(0, 1);
        cur -= 1;
    } else if (first == other) {
        if (isHex() && s == QLatin1Char('+')) {
            t.remove(0, 1); // hexadecimal: "+" removes the "-"
            cur -= 1;
        } else {
            t[0] = s;
        }
    } else {
        t.prepend(s);
        cur += 1;
    }
    cur = std::clamp(cur, 0, static_cast<int>(t.size()));
    setOwnText(t);
    setCursorPosition(cur);
    handleChange();
}

void TNumberEdit::keyPressEvent(QKeyEvent* e)
{
    if (e->matches(QKeySequence::Paste)) {
        pasteFiltered();
        e->accept();
        return;
    }
    if (e->modifiers() & Qt::ControlModifier) {
        QLineEdit::keyPressEvent(e);
        return;
    }
    const QString txt = e->text();
    if (txt.isEmpty() || e->key() == Qt::Key_Delete) {
        QLineEdit::keyPressEvent(e); // navigation and editing keys
        return;
    }
    if (isReadOnly()) {
        QLineEdit::keyPressEvent(e);
        return;
    }
    const QChar c = txt[0];
    if (c.unicode() < 0x20 || c.unicode() == 0x7f) {
        // Backspace, Tab, Enter and the other control characters.
        if (c == QLatin1Char('\b') || c == QLatin1Char('\r') || c == QLatin1Char('\n') || c == QLatin1Char('\t'))
            m_keyin = true;
        QLineEdit::keyPressEvent(e);
        return;
    }
    e->accept();
    const QString t = text();
    const int cur = cursorPosition();
    const bool sel = hasSelectedText();
    const int selStart = sel ? selectionStart() : cur;
    const QString selText = selectedText();
    // A sign at or after the caret (not being replaced) would end up after
    // what is typed: nothing is inserted in front of it.
    auto signAhead = [&] {
        const QString rest = QString(t).remove(selStart, selText.size());
        return selStart == 0 && !rest.isEmpty() && isSign(rest[0]);
    };

    if (isSign(c)) {
        if (isHex()) {
            if (c == QLatin1Char('-') && !m_validMinus)
                return;
            if (c == QLatin1Char('+') && !t.startsWith(QLatin1Char('-')))
                return;
        }
        m_keyin = true;
        applySign(c);
        return;
    }

    if (isHex()) {
        if (!isHexDigit(c) || signAhead())
            return;
        m_keyin = true;
        QLineEdit::keyPressEvent(e);
        return;
    }

    if (c == kDecimalSep) {
        const QString rest = QString(t).remove(selStart, selText.size());
        if (rest.contains(kDecimalSep) || signAhead())
            return;
        m_keyin = true;
        QLineEdit::keyPressEvent(e);
        return;
    }
    if (!isDigit(c) || signAhead())
        return;
    if (m_maxIntLength > 0) {
        const int dot = static_cast<int>(t.indexOf(kDecimalSep));
        int intDigits = 0;
        for (int i = 0; i < (dot < 0 ? t.size() : dot); ++i)
            if (isDigit(t[i]))
                ++intDigits;
        const bool beforeDot = dot < 0 || cur <= dot;
        bool replacing = false;
        for (QChar s : selText)
            if (s != kDecimalSep && s != kThousandSep && !isSign(s))
                replacing = true;
        if (intDigits >= m_maxIntLength && beforeDot && !replacing)
            return;
    }
    m_keyin = true;
    QLineEdit::keyPressEvent(e);
}

// --- pasting ---------------------------------------------------------------

void TNumberEdit::pasteFiltered()
{
    const QMimeData* md = QGuiApplication::clipboard()->mimeData(QClipboard::Clipboard);
    if (md && md->hasText())
        pasteText(md->text());
}

void TNumberEdit::pasteText(const QString& source)
{
    if (isReadOnly())
        return;
    const QString t = text();
    const bool sel = hasSelectedText();
    const int pos = sel ? selectionStart() : cursorPosition();
    const int selLen = sel ? static_cast<int>(selectedText().size()) : 0;
    const QString rest = QString(t).remove(pos, selLen);
    // Nothing is pasted in front of a sign.
    for (int i = pos; i < rest.size(); ++i)
        if (isSign(rest[i]))
            return;
    bool hasDot = rest.contains(kDecimalSep);
    bool hasSign = !rest.isEmpty() && isSign(rest[0]);
    QString ins;
    for (int i = 0; i < source.size(); ++i) {
        const QChar c = source[i];
        if (isSign(c)) {
            const bool allowed = isHex() ? (c == QLatin1Char('-') && m_validMinus) : true;
            if (allowed && i == 0 && pos == 0 && !hasSign) {
                ins += c;
                hasSign = true;
            }
        } else if (isHex()) {
            if (isHexDigit(c))
                ins += c;
        } else if (isDigit(c)) {
            ins += c;
        } else if (c == kDecimalSep && !hasDot) {
            ins += c;
            hasDot = true;
        }
    }
    if (ins.isEmpty())
        return;
    m_keyin = true;
    insert(ins); // replaces the selection; the change handling follows
}

void TNumberEdit::contextMenuEvent(QContextMenuEvent* e)
{
    QMenu* menu = createStandardContextMenu();
    if (!menu)
        return;
    for (QAction* a : menu->actions()) {
        if (a->objectName() == QLatin1String("edit-paste")) {
            a->disconnect();
            connect(a, &QAction::triggered, this, &TNumberEdit::pasteFiltered);
        }
    }
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(e->globalPos());
}

void TNumberEdit::mouseReleaseEvent(QMouseEvent* e)
{
    // The selection clipboard of X11 goes through the paste filter too.
    if (e->button() == Qt::MiddleButton && QGuiApplication::clipboard()->supportsSelection()) {
        const QMimeData* md = QGuiApplication::clipboard()->mimeData(QClipboard::Selection);
        if (md && md->hasText()) {
            deselect();
            setCursorPosition(cursorPositionAt(e->position().toPoint()));
            pasteText(md->text());
        }
        e->accept();
        return;
    }
    QLineEdit::mouseReleaseEvent(e);
}

// --- entering and leaving --------------------------------------------------

void TNumberEdit::focusInEvent(QFocusEvent* e)
{
    QLineEdit::focusInEvent(e);
    if (e->reason() == Qt::PopupFocusReason || e->reason() == Qt::ActiveWindowFocusReason)
        return;
    m_keyin = false;
    if (m_autoSelect)
        selectAll();
    else
        end(false);
    emit entered();
}

void TNumberEdit::focusOutEvent(QFocusEvent* e)
{
    const bool leaving = e->reason() != Qt::PopupFocusReason && e->reason() != Qt::ActiveWindowFocusReason;
    if (leaving) {
        const QString t = text();
        const QString clean = cleanText(t);
        const TDecimal v = parseText(t);
        const QString s = formatValue(v, !isHex() && clean.startsWith(QLatin1Char('+')));
        setOwnText(s);
        m_value = parseText(s);
        setModified(m_keyin);
    }
    QLineEdit::focusOutEvent(e);
    if (leaving)
        emit exited();
}
