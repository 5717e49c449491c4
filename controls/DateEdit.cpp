#include "controls/DateEdit.h"

#include "app/MsgBox.h"
#include "controls/JapaneseEra.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QFocusEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QRegularExpression>
#include <QRegularExpressionValidator>

namespace {

const QString kAllEmpty = QStringLiteral("入力欄が全て空白です．　　");
const QString kBlank = QStringLiteral("空白の入力欄があります．　　");
const QString kTime11 = QStringLiteral("時刻の入力可能な値は11時59分59秒までです．　　");
const QString kTime23 = QStringLiteral("時刻の入力可能な値は23時59分59秒までです．　　");
const QString kTimeBad = QStringLiteral("時刻が正しくありません．　　");
const QString kDateBad = QStringLiteral("日付に変換できない値です.　　　");
const QString kBeforeBase = QStringLiteral("1873年1月1日(明治6年1月1日)より前の日付は処理できません．　　");
const QString kChangeGengo = QStringLiteral("2088年(平成100年)以降は元号に変換できません．　　");
const QString kDateTimeBad = QStringLiteral("日付または時刻が正しくありません．　　");
const QString kSetBad = QStringLiteral("正しくない日付時刻型の値がセットされました．　　");

const QString kSeireki = QStringLiteral("西暦");
const QString kAm = QStringLiteral("午前");
const QString kPm = QStringLiteral("午後");

bool isAsciiDigit(QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); }

} // namespace

// ---------------------------------------------------------------------------
// Sub-controls: they hand their keys and focus changes to the owner.

class TplDateEditField : public QLineEdit {
public:
    explicit TplDateEditField(TplDateEdit* owner)
        : QLineEdit(owner)
        , m_owner(owner)
    {
        setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        setMaxLength(2);
        setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), this));
        setAttribute(Qt::WA_InputMethodEnabled, false);
        setInputMethodHints(Qt::ImhDigitsOnly);
        setFocusPolicy(Qt::ClickFocus);
        setAcceptDrops(false);
    }

protected:
    bool event(QEvent* e) override
    {
        if (e->type() == QEvent::KeyPress && m_owner->fieldKeyPress(this, static_cast<QKeyEvent*>(e)))
            return true;
        return QLineEdit::event(e);
    }
    void focusInEvent(QFocusEvent* e) override
    {
        QLineEdit::focusInEvent(e);
        m_owner->fieldFocusIn(this, e->reason());
    }
    void focusOutEvent(QFocusEvent* e) override
    {
        QLineEdit::focusOutEvent(e);
        m_owner->fieldFocusOut(this, e->reason());
    }
    void mouseReleaseEvent(QMouseEvent* e) override
    {
        QLineEdit::mouseReleaseEvent(e);
        if (e->button() == Qt::LeftButton)
            emit m_owner->clicked(this);
    }

private:
    TplDateEdit* m_owner;
};

class TplDateEditCombo : public QComboBox {
public:
    explicit TplDateEditCombo(TplDateEdit* owner)
        : QComboBox(owner)
        , m_owner(owner)
    {
        setEditable(false);
        setFocusPolicy(Qt::ClickFocus);
        setAttribute(Qt::WA_InputMethodEnabled, false);
    }

protected:
    bool event(QEvent* e) override
    {
        if (e->type() == QEvent::KeyPress && m_owner->fieldKeyPress(this, static_cast<QKeyEvent*>(e)))
            return true;
        return QComboBox::event(e);
    }
    void focusInEvent(QFocusEvent* e) override
    {
        QComboBox::focusInEvent(e);
        m_owner->fieldFocusIn(this, e->reason());
    }
    void focusOutEvent(QFocusEvent* e) override
    {
        QComboBox::focusOutEvent(e);
        m_owner->fieldFocusOut(this, e->reason());
    }

private:
    TplDateEdit* m_owner;
};

// ---------------------------------------------------------------------------

TplDateEditLabel::TplDateEditLabel(const QString& text, QWidget* parent)
    : QLabel(text, parent)
{
    setAlignment(Qt::AlignCenter);
    setWordWrap(false);
    setAutoFillBackground(true);
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setLineWidth(1);
    QPalette p = palette();
    p.setColor(QPalette::Window, QColor(0xE4, 0xE4, 0xE4));
    p.setColor(QPalette::WindowText, QColor(Qt::black));
    setPalette(p);
    setFocusPolicy(Qt::NoFocus);
}

// ---------------------------------------------------------------------------

TplDateEdit::TplDateEdit(QWidget* parent)
    : QWidget(parent)
    , m_value(emptyValue())
    , m_dialogCaption(QStringLiteral("日付時刻入力"))
{
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_InputMethodEnabled, false);

    m_gengoCombo = new TplDateEditCombo(this);
    m_gengoCombo->setObjectName(QStringLiteral("GengoCombo"));
    m_gengoCombo->addItem(kSeireki);
    for (const auto& era : japaneseEra::eras())
        m_gengoCombo->addItem(era.name);
    m_gengoCombo->setCurrentIndex(-1);

    auto field = [this](const char* name) {
        auto* f = new TplDateEditField(this);
        f->setObjectName(QLatin1String(name));
        connect(f, &QLineEdit::textEdited, this, [this, f] { emit changed(f); });
        return f;
    };
    auto label = [this](const QString& text, const char* name) {
        auto* l = new TplDateEditLabel(text, this);
        l->setObjectName(QLatin1String(name));
        return l;
    };
    m_year = field("YearEdit");
    m_year->setMaxLength(4);
    m_yearLabel = label(QStringLiteral("年"), "YearLabel");
    m_month = field("MonthEdit");
    m_monthLabel = label(QStringLiteral("月"), "MonthLabel");
    m_day = field("DayEdit");
    m_dayLabel = label(QStringLiteral("日"), "DayLabel");

    m_ampmCombo = new TplDateEditCombo(this);
    m_ampmCombo->setObjectName(QStringLiteral("AmpmCombo"));
    m_ampmCombo->addItems({kAm, kPm});
    m_ampmCombo->setCurrentIndex(-1);

    m_hour = field("HourEdit");
    m_hourLabel = label(QStringLiteral("時"), "HourLabel");
    m_minute = field("MinuteEdit");
    m_minuteLabel = label(QStringLiteral("分"), "MinuteLabel");
    m_second = field("SecondEdit");
    m_secondLabel = label(QStringLiteral("秒"), "SecondLabel");

    for (QComboBox* c : {static_cast<QComboBox*>(m_gengoCombo), static_cast<QComboBox*>(m_ampmCombo)}) {
        connect(c, &QComboBox::activated, this, [this, c] {
            emit changed(c);
            emit clicked(c);
        });
    }

    applyAllColors();
    relayout();
}

TplDateEdit::~TplDateEdit() = default;

QComboBox* TplDateEdit::gengoCombo() const { return m_gengoCombo; }
QLineEdit* TplDateEdit::yearEdit() const { return m_year; }
QLineEdit* TplDateEdit::monthEdit() const { return m_month; }
QLineEdit* TplDateEdit::dayEdit() const { return m_day; }
QComboBox* TplDateEdit::ampmCombo() const { return m_ampmCombo; }
QLineEdit* TplDateEdit::hourEdit() const { return m_hour; }
QLineEdit* TplDateEdit::minuteEdit() const { return m_minute; }
QLineEdit* TplDateEdit::secondEdit() const { return m_second; }

QDate TplDateEdit::baseDate() { return QDate(1873, 1, 1); }
QDateTime TplDateEdit::wallClock(const QDate& date, const QTime& time)
{
    // Kept in UTC: no clock change of the local zone can make it invalid or
    // move it to another day.
    return QDateTime(date, time, Qt::UTC);
}

QDateTime TplDateEdit::emptyValue() { return wallClock(baseDate().addDays(-1), QTime(0, 0)); }
QDate TplDateEdit::zeroDate() { return QDate(1899, 12, 30); }

// --- styles ------------------------------------------------------------------

bool TplDateEdit::hasYear() const { return m_style <= desYear; }
bool TplDateEdit::hasMonth() const { return m_style <= desYearMonth; }
bool TplDateEdit::hasDay() const { return m_style <= desYearMonthDay; }
bool TplDateEdit::hasHour() const { return m_style <= desYearMonthDayH || m_style >= desHourMinuteSecond; }
bool TplDateEdit::hasMinute() const
{
    return m_style == desYearMonthDayHMS || m_style == desYearMonthDayHM || m_style == desHourMinuteSecond
           || m_style == desHourMinute;
}
bool TplDateEdit::hasSecond() const { return m_style == desYearMonthDayHMS || m_style == desHourMinuteSecond; }

bool TplDateEdit::isShown(QWidget* f) const
{
    if (f == m_gengoCombo)
        return gengoShown();
    if (f == m_year)
        return hasYear();
    if (f == m_month)
        return hasMonth();
    if (f == m_day)
        return hasDay();
    if (f == m_ampmCombo)
        return ampmShown();
    if (f == m_hour)
        return hasHour();
    if (f == m_minute)
        return hasMinute();
    if (f == m_second)
        return hasSecond();
    return false;
}

QList<QWidget*> TplDateEdit::fieldsInOrder() const
{
    QList<QWidget*> out;
    for (QWidget* f : {static_cast<QWidget*>(m_gengoCombo), static_cast<QWidget*>(m_year),
                       static_cast<QWidget*>(m_month), static_cast<QWidget*>(m_day),
                       static_cast<QWidget*>(m_ampmCombo), static_cast<QWidget*>(m_hour),
                       static_cast<QWidget*>(m_minute), static_cast<QWidget*>(m_second)})
        if (isShown(f))
            out << f;
    return out;
}

QWidget* TplDateEdit::firstFocusable() const
{
    for (QWidget* f : {static_cast<QWidget*>(m_gengoCombo), static_cast<QWidget*>(m_year),
                       static_cast<QWidget*>(m_ampmCombo), static_cast<QWidget*>(m_hour)})
        if (isShown(f) && f->isEnabled())
            return f;
    return nullptr;
}

// --- layout --------------------------------------------------------------------

void TplDateEdit::relayout()
{
    const QFontMetrics fm(font());
    const int h = 8 + fm.height();
    const int boxW = fm.horizontalAdvance(QStringLiteral("0000")) + 24;
    const int yearW = fm.horizontalAdvance(m_yeardigit == yddigit4 ? QStringLiteral("0000") : QStringLiteral("00")) + 12;
    const int fieldW = fm.horizontalAdvance(QStringLiteral("00")) + 12;
    auto labelW = [&](QLabel* l) { return fm.horizontalAdvance(l->text()) + 8; };

    for (QWidget* w : {static_cast<QWidget*>(m_gengoCombo), static_cast<QWidget*>(m_year),
                       static_cast<QWidget*>(m_yearLabel), static_cast<QWidget*>(m_month),
                       static_cast<QWidget*>(m_monthLabel), static_cast<QWidget*>(m_day),
                       static_cast<QWidget*>(m_dayLabel), static_cast<QWidget*>(m_ampmCombo),
                       static_cast<QWidget*>(m_hour), static_cast<QWidget*>(m_hourLabel),
                       static_cast<QWidget*>(m_minute), static_cast<QWidget*>(m_minuteLabel),
                       static_cast<QWidget*>(m_second), static_cast<QWidget*>(m_secondLabel)})
        w->hide();

    int x = 0;
    int y = 0;
    int right = 0;
    auto place = [&](QWidget* w, int width) {
        w->setGeometry(x, y, width, h);
        w->show();
        x += width;
        right = std::max(right, x);
    };
    const bool datePart = hasYear();
    const bool timePart = hasHour();
    if (datePart) {
        if (m_editGengo)
            place(m_gengoCombo, boxW);
        place(m_year, yearW);
        place(m_yearLabel, labelW(m_yearLabel));
        if (hasMonth()) {
            place(m_month, fieldW);
            place(m_monthLabel, labelW(m_monthLabel));
        }
        if (hasDay()) {
            place(m_day, fieldW);
            place(m_dayLabel, labelW(m_dayLabel));
        }
    }
    if (timePart) {
        if (datePart) {
            if (m_spaceWidth >= 0) {
                x += m_spaceWidth;
            } else {
                x = 0;
                y = h + std::abs(m_spaceWidth);
            }
        }
        if (m_editAmpm)
            place(m_ampmCombo, boxW);
        place(m_hour, fieldW);
        place(m_hourLabel, labelW(m_hourLabel));
        if (hasMinute()) {
            place(m_minute, fieldW);
            place(m_minuteLabel, labelW(m_minuteLabel));
        }
        if (hasSecond()) {
            place(m_second, fieldW);
            place(m_secondLabel, labelW(m_secondLabel));
        }
    }
    // The hidden day (and month) of the shorter date styles hold "1".
    if (m_style == desYearMonth) {
        m_day->setText(QStringLiteral("1"));
    } else if (m_style == desYear) {
        m_month->setText(QStringLiteral("1"));
        m_day->setText(QStringLiteral("1"));
    }
    m_size = QSize(right, y + h);
    setFixedSize(m_size);
    updateGeometry();
}

QSize TplDateEdit::sizeHint() const { return m_size; }

// --- colours -------------------------------------------------------------------

void TplDateEdit::applyColors(QWidget* f, bool focused)
{
    QPalette p = f->palette();
    const QColor bg = focused ? m_focusedColor : m_color;
    for (auto group : {QPalette::Active, QPalette::Inactive}) {
        p.setColor(group, QPalette::Base, bg);
        p.setColor(group, QPalette::Button, bg);
    }
    p.setColor(QPalette::Disabled, QPalette::Base, m_disableColor);
    p.setColor(QPalette::Disabled, QPalette::Button, m_disableColor);
    p.setColor(QPalette::Disabled, QPalette::Window, m_disableColor);
    p.setColor(QPalette::Disabled, QPalette::Text, m_disableFontColor);
    p.setColor(QPalette::Disabled, QPalette::ButtonText, m_disableFontColor);
    p.setColor(QPalette::Disabled, QPalette::WindowText, m_disableFontColor);
    f->setPalette(p);
    if (auto* c = qobject_cast<QComboBox*>(f)) {
        // Without AutoSelect and with a focus colour other than white the
        // list paints its highlighted item in the focus colour.
        QPalette vp = c->view()->palette();
        if (!m_autoSelect && m_focusedColor != QColor(Qt::white)) {
            vp.setColor(QPalette::Highlight, m_focusedColor);
            vp.setColor(QPalette::HighlightedText, QColor(Qt::black));
            vp.setColor(QPalette::Base, m_color);
        } else {
            vp = QApplication::palette(c->view());
        }
        c->view()->setPalette(vp);
    }
}

void TplDateEdit::applyAllColors()
{
    const QWidget* focus = QApplication::focusWidget();
    for (QWidget* f : {static_cast<QWidget*>(m_gengoCombo), static_cast<QWidget*>(m_year),
                       static_cast<QWidget*>(m_month), static_cast<QWidget*>(m_day),
                       static_cast<QWidget*>(m_ampmCombo), static_cast<QWidget*>(m_hour),
                       static_cast<QWidget*>(m_minute), static_cast<QWidget*>(m_second)})
        applyColors(f, f == focus);
}

void TplDateEdit::changeEvent(QEvent* e)
{
    QWidget::changeEvent(e);
    if (e->type() == QEvent::FontChange)
        relayout();
    else if (e->type() == QEvent::EnabledChange)
        applyAllColors();
}

// --- properties ------------------------------------------------------------------

void TplDateEdit::setEditStyle(TplDateEditStyle style)
{
    m_style = style;
    setEditEmpty();
    relayout();
}

void TplDateEdit::setEditGengo(bool on)
{
    m_editGengo = on;
    if (!on)
        m_gengo = false;
    relayout();
    showValue();
}

void TplDateEdit::setEditAmpm(bool on)
{
    m_editAmpm = on;
    relayout();
}

QString TplDateEdit::labelYear() const { return m_yearLabel->text(); }
QString TplDateEdit::labelMonth() const { return m_monthLabel->text(); }
QString TplDateEdit::labelDay() const { return m_dayLabel->text(); }
QString TplDateEdit::labelHour() const { return m_hourLabel->text(); }
QString TplDateEdit::labelMinute() const { return m_minuteLabel->text(); }
QString TplDateEdit::labelSecond() const { return m_secondLabel->text(); }

void TplDateEdit::setLabelYear(const QString& t)
{
    m_yearLabel->setText(t);
    relayout();
}
void TplDateEdit::setLabelMonth(const QString& t)
{
    m_monthLabel->setText(t);
    relayout();
}
void TplDateEdit::setLabelDay(const QString& t)
{
    m_dayLabel->setText(t);
    relayout();
}
void TplDateEdit::setLabelHour(const QString& t)
{
    m_hourLabel->setText(t);
    relayout();
}
void TplDateEdit::setLabelMinute(const QString& t)
{
    m_minuteLabel->setText(t);
    relayout();
}
void TplDateEdit::setLabelSecond(const QString& t)
{
    m_secondLabel->setText(t);
    relayout();
}

void TplDateEdit::setSpaceWidth(int w)
{
    m_spaceWidth = w;
    relayout();
}

void TplDateEdit::setYeardigit(TplYeardigitSet d)
{
    m_yeardigit = d;
    m_year->setMaxLength(d == yddigit4 ? 4 : 2);
    relayout();
    showValue();
}

void TplDateEdit::setAutoSelect(bool on)
{
    m_autoSelect = on;
    applyAllColors();
}

void TplDateEdit::setGengo(bool on)
{
    m_gengo = m_editGengo ? on : false;
    if (anyText())
        check();
}

void TplDateEdit::setDisableColor(const QColor& c)
{
    m_disableColor = c;
    applyAllColors();
}

void TplDateEdit::setDisableFontColor(const QColor& c)
{
    m_disableFontColor = c;
    applyAllColors();
}

void TplDateEdit::setFocusedColor(const QColor& c)
{
    m_focusedColor = c;
    applyAllColors();
}

void TplDateEdit::setColor(const QColor& c)
{
    m_color = c;
    applyAllColors();
}

void TplDateEdit::setTabStop(bool on)
{
    m_tabStop = on;
    setFocusPolicy(on ? Qt::StrongFocus : Qt::ClickFocus);
}

// --- value -----------------------------------------------------------------------

bool TplDateEdit::anyText() const
{
    for (QLineEdit* e : {static_cast<QLineEdit*>(m_year), static_cast<QLineEdit*>(m_month),
                         static_cast<QLineEdit*>(m_day), static_cast<QLineEdit*>(m_hour),
                         static_cast<QLineEdit*>(m_minute), static_cast<QLineEdit*>(m_second)})
        if (!e->text().trimmed().isEmpty())
            return true;
    return m_gengoCombo->currentIndex() >= 0 || m_ampmCombo->currentIndex() >= 0;
}

void TplDateEdit::clearDecomposed()
{
    m_dYear = m_dMonth = m_dDay = m_dHour = m_dMinute = m_dSecond = m_dGengoYear = 0;
    m_sGengo.clear();
    m_sGengoYear.clear();
    m_sYear.clear();
    m_sMonth.clear();
    m_sDay.clear();
    m_sAmpm.clear();
    m_sHour.clear();
    m_sMinute.clear();
    m_sSecond.clear();
}

void TplDateEdit::refreshDecomposed()
{
    clearDecomposed();
    const QDate d = m_value.date();
    const QTime t = m_value.time();
    if (hasYear() && d.isValid()) {
        m_dYear = d.year();
        m_dMonth = d.month();
        m_dDay = d.day();
        m_sYear = QString::number(m_dYear);
        m_sMonth = QString::number(m_dMonth);
        m_sDay = QString::number(m_dDay);
        int k = 0;
        int ey = 0;
        if (d >= baseDate() && japaneseEra::eraOf(d, &k, &ey)) {
            m_dGengoYear = ey;
            m_sGengo = japaneseEra::name(k);
            m_sGengoYear = QString::number(ey);
        }
    }
    if (hasHour() && t.isValid()) {
        m_dHour = t.hour();
        m_dMinute = t.minute();
        m_dSecond = t.second();
        int shownHour = m_dHour;
        if (m_editAmpm) {
            m_sAmpm = m_dHour > 11 ? kPm : kAm;
            if (m_dHour > 11)
                shownHour -= 12;
        }
        m_sHour = QString::number(shownHour);
        m_sMinute = QString::number(m_dMinute);
        m_sSecond = QString::number(m_dSecond);
    }
}

void TplDateEdit::showValue()
{
    const QDate d = m_value.date();
    const QTime t = m_value.time();
    if (hasYear() && d.isValid() && d >= baseDate()) {
        int k = 0;
        int ey = 0;
        if (m_gengo && japaneseEra::eraOf(d, &k, &ey)) {
            m_gengoCombo->setCurrentIndex(k);
            m_year->setText(QString::number(ey));
        } else {
            m_gengoCombo->setCurrentIndex(0);
            const QString yyyy = QString::number(d.year()).rightJustified(4, QLatin1Char('0'));
            m_year->setText(m_yeardigit == yddigit2 ? yyyy.right(2) : yyyy);
        }
        m_month->setText(QString::number(d.month()));
        m_day->setText(QString::number(d.day()));
    }
    if (hasHour() && t.isValid() && t > QTime(0, 0)) {
        int h = t.hour();
        if (m_editAmpm) {
            m_ampmCombo->setCurrentIndex(h > 11 ? 1 : 0);
            if (h > 11)
                h -= 12;
        }
        m_hour->setText(QString::number(h));
        if (hasMinute())
            m_minute->setText(QString::number(t.minute()));
        if (hasSecond())
            m_second->setText(QString::number(t.second()));
    }
    refreshDecomposed();
}

void TplDateEdit::setEditEmpty()
{
    for (QLineEdit* e : {static_cast<QLineEdit*>(m_year), static_cast<QLineEdit*>(m_month),
                         static_cast<QLineEdit*>(m_day), static_cast<QLineEdit*>(m_hour),
                         static_cast<QLineEdit*>(m_minute), static_cast<QLineEdit*>(m_second)})
        e->clear();
    m_gengoCombo->setCurrentIndex(-1);
    m_ampmCombo->setCurrentIndex(-1);
    clearDecomposed();
    m_value = emptyValue();
    m_isEmpty = true;
}

bool TplDateEdit::fail(TplDateEditErrors kinds, const QString& text, QWidget* focus)
{
    m_errors |= kinds;
    if (m_displayError)
        msg::plain(this, text, m_dialogCaption);
    QWidget* target = focus && isShown(focus) && focus->isEnabled() ? focus : firstFocusable();
    if (target)
        target->setFocus(Qt::OtherFocusReason);
    return false;
}

bool TplDateEdit::check()
{
    if (m_checking)
        return false;
    m_checking = true;
    const bool ok = runCheck();
    m_checking = false;
    return ok;
}

bool TplDateEdit::runCheck()
{
    m_errors = {};
    if (!m_editGengo)
        m_gengoCombo->setCurrentIndex(-1);
    auto comboText = [](QComboBox* c) { return c->currentIndex() >= 0 ? c->currentText().trimmed() : QString(); };
    const QString sGengo = comboText(m_gengoCombo);
    const QString sAmpm = comboText(m_ampmCombo);
    const QString sYear = m_year->text().trimmed();
    const QString sMonth = m_month->text().trimmed();
    const QString sDay = m_day->text().trimmed();
    const QString sHour = m_hour->text().trimmed();
    const QString sMinute = m_minute->text().trimmed();
    const QString sSecond = m_second->text().trimmed();

    // 2. Every field and box empty, hidden ones included.
    if (sGengo.isEmpty() && sAmpm.isEmpty() && sYear.isEmpty() && sMonth.isEmpty() && sDay.isEmpty()
        && sHour.isEmpty() && sMinute.isEmpty() && sSecond.isEmpty()) {
        m_isEmpty = true;
        if (!m_canEmpty)
            return fail(derAllEmpty, kAllEmpty, nullptr);
        setEditEmpty();
        return true;
    }
    m_isEmpty = false;

    // 3. Blank fields, reported together; the focus goes to the first.
    struct Item {
        QWidget* w;
        bool blank;
        TplDateEditError err;
    };
    const Item items[] = {
        {m_gengoCombo, sGengo.isEmpty(), derYearEmpty}, {m_year, sYear.isEmpty(), derYearEmpty},
        {m_month, sMonth.isEmpty(), derMonthEmpty},     {m_day, sDay.isEmpty(), derDayEmpty},
        {m_ampmCombo, sAmpm.isEmpty(), derAMPMEmpty},   {m_hour, sHour.isEmpty(), derHourEmpty},
        {m_minute, sMinute.isEmpty(), derMinuteEmpty},  {m_second, sSecond.isEmpty(), derSecondEmpty},
    };
    bool otherBlank = false;
    for (const Item& it : items)
        if (it.w != m_gengoCombo && isShown(it.w) && it.blank)
            otherBlank = true;
    if (otherBlank) {
        TplDateEditErrors errs;
        QWidget* first = nullptr;
        for (const Item& it : items) {
            if (isShown(it.w) && it.blank) {
                errs |= it.err;
                if (!first)
                    first = it.w;
            }
        }
        return fail(errs, kBlank, first);
    }

    // 4. The Gregorian year; defaults for the fields not shown.
    int y = 0;
    if (hasYear()) {
        const int entered = sYear.toInt();
        const int k = m_gengoCombo->currentIndex();
        if (k >= 1) {
            y = entered + japaneseEra::firstYear(k) - 1;
        } else {
            y = entered;
            if (m_yeardigit == yddigit2)
                y += QDate::currentDate().year() / 100 * 100;
        }
    }
    const int mo = hasMonth() ? sMonth.toInt() : 1;
    const int d = hasDay() ? sDay.toInt() : 1;

    // 5. The time.
    QTime time(0, 0);
    if (hasHour()) {
        int h = sHour.toInt();
        const int mi = hasMinute() ? sMinute.toInt() : 0;
        const int s = hasSecond() ? sSecond.toInt() : 0;
        const bool twelve = ampmShown();
        const QString& over = twelve ? kTime11 : kTime23;
        if (twelve ? h >= 12 : h >= 24)
            return fail(derTimeError, over, m_hour);
        if (mi > 59 || s > 59)
            return fail(derTimeError, over, m_minute);
        if (twelve && m_ampmCombo->currentIndex() == 1)
            h += 12;
        time = QTime(h, mi, s);
        if (!time.isValid())
            return fail(derTimeError, kTimeBad, twelve ? static_cast<QWidget*>(m_ampmCombo) : m_hour);
    }

    // 6. The date.
    QDate date = zeroDate();
    if (hasYear()) {
        const QDate dd(y, mo, d);
        if (y < 1 || y > 9999 || !dd.isValid())
            return fail(derDateError, kDateBad, m_year);
        if (y < baseDate().year())
            return fail(derBeforeBaseDate, kBeforeBase, m_year);
        if (y >= 2088 && m_gengo)
            return fail(derChangeGengo, kChangeGengo, m_year);
        date = dd;
    }

    // 7. The value, shown in canonical form.
    const QDateTime v = wallClock(date, time);
    if (!v.isValid())
        return fail(derDateTimeError, kDateTimeBad, nullptr);
    m_value = v;
    showValue();
    return true;
}

QDateTime TplDateEdit::dateTime()
{
    if (!check())
        return QDateTime();
    return m_value;
}

QDate TplDateEdit::date()
{
    if (!check())
        return QDate();
    return m_value.date();
}

bool TplDateEdit::setDateTime(const QDateTime& given)
{
    m_errors = {};
    if (!given.isValid() || given.date().year() < 1 || given.date().year() > 9999)
        return fail(derSetDateTimeError, kSetBad, nullptr);
    // The date and the time as they read, whatever zone they came in.
    const QDateTime value = wallClock(given.date(), given.time());
    if (value == m_value)
        return true;
    if (value == emptyValue()) {
        setEditEmpty();
        return true;
    }
    if (hasYear() && value.date() < baseDate())
        return fail(derBeforeBaseDate, kBeforeBase, nullptr);
    QDateTime stored;
    if (hasYear() && hasHour())
        stored = value;
    else if (hasYear())
        stored = wallClock(value.date(), QTime(0, 0));
    else
        stored = wallClock(zeroDate(), value.time());
    m_value = stored;
    m_isEmpty = false;
    showValue();
    return true;
}

bool TplDateEdit::setDate(const QDate& value)
{
    if (!value.isValid())
        return setDateTime(QDateTime());
    return setDateTime(wallClock(value, QTime(0, 0)));
}

int TplDateEdit::year() { return check() ? m_dYear : 0; }
int TplDateEdit::month() { return check() ? m_dMonth : 0; }
int TplDateEdit::day() { return check() ? m_dDay : 0; }
int TplDateEdit::hour() { return check() ? m_dHour : 0; }
int TplDateEdit::minute() { return check() ? m_dMinute : 0; }
int TplDateEdit::second() { return check() ? m_dSecond : 0; }
int TplDateEdit::gengoYear() { return check() ? m_dGengoYear : 0; }
QString TplDateEdit::gengoStr() { return check() ? m_sGengo : QString(); }
QString TplDateEdit::gengoYearStr() { return check() ? m_sGengoYear : QString(); }
QString TplDateEdit::yearStr() { return check() ? m_sYear : QString(); }
QString TplDateEdit::monthStr() { return check() ? m_sMonth : QString(); }
QString TplDateEdit::dayStr() { return check() ? m_sDay : QString(); }
QString TplDateEdit::ampmStr() { return check() ? m_sAmpm : QString(); }
QString TplDateEdit::hourStr() { return check() ? m_sHour : QString(); }
QString TplDateEdit::minuteStr() { return check() ? m_sMinute : QString(); }
QString TplDateEdit::secondStr() { return check() ? m_sSecond : QString(); }

bool TplDateEdit::getAge(const QDate& date1, const QDate& date2, int ageType, int* years, int* months)
{
    auto out = [&](int y, int m, bool r) {
        if (years)
            *years = y;
        if (months)
            *months = m;
        return r;
    };
    if (!date1.isValid() || !date2.isValid() || date2 < date1)
        return out(0, 0, false);
    const int y1 = date1.year();
    const int m1 = date1.month();
    const int d1 = date1.day();
    int y2 = date2.year();
    int m2 = date2.month();
    int d2 = date2.day();
    if (ageType == 0) {
        if (d2 < d1)
            --m2;
    } else {
        // The age changes on the day before the anniversary; month ends count as whole.
        if (m2 == 12 && d2 == 31) {
            ++y2;
            m2 = 1;
            d2 = 0;
        } else if (d2 == date2.daysInMonth()) {
            ++m2;
            d2 = 0;
        }
        if (d2 + 1 < d1)
            --m2;
    }
    int mon = m2 - m1;
    int yrs = y2 - y1;
    if (mon >= -12 && mon < 0) {
        --yrs;
        mon += 12;
    }
    if (yrs < 0)
        return out(0, 0, false);
    return out(yrs, mon, true);
}

// --- focus and keys ----------------------------------------------------------------

void TplDateEdit::focusInEvent(QFocusEvent* e)
{
    QWidget::focusInEvent(e);
    // Focusing the control focuses its first shown and enabled field.
    if (QWidget* f = firstFocusable())
        f->setFocus(e->reason());
}

void TplDateEdit::fieldFocusIn(QWidget* field, Qt::FocusReason reason)
{
    applyColors(field, true);
    if (!m_inside) {
        m_inside = true;
        if (!m_tabStop)
            for (QWidget* f : fieldsInOrder())
                f->setFocusPolicy(Qt::StrongFocus);
        emit entered();
    }
    if (reason == Qt::PopupFocusReason || reason == Qt::ActiveWindowFocusReason)
        return;
    if (auto* e = qobject_cast<QLineEdit*>(field)) {
        if (m_autoSelect)
            e->selectAll();
        else
            e->setCursorPosition(0);
    }
}

void TplDateEdit::fieldFocusOut(QWidget* field, Qt::FocusReason reason)
{
    if (reason != Qt::PopupFocusReason)
        applyColors(field, false);
    if (reason == Qt::PopupFocusReason || reason == Qt::ActiveWindowFocusReason)
        return;
    QWidget* now = QApplication::focusWidget();
    if (now && (now == this || isAncestorOf(now)))
        return;
    // The focus has left the control.
    m_inside = false;
    if (!m_tabStop)
        for (QWidget* f : fieldsInOrder())
            f->setFocusPolicy(Qt::ClickFocus);
    // Handled from the event loop, once the focus change is complete; a
    // failed check then puts the focus back, which also keeps a pressed
    // button from clicking.
    QMetaObject::invokeMethod(this, [this] { leaveControl(); }, Qt::QueuedConnection);
}

void TplDateEdit::leaveControl()
{
    if (m_inside || !isVisible())
        return; // the focus came back before the leave was handled, or the form closes
    if (m_exitCheck && !check())
        return;
    emit exited();
}

void TplDateEdit::moveField(QWidget* from, bool forward)
{
    QList<QWidget*> fields;
    for (QWidget* f : fieldsInOrder())
        if (f->isEnabled() || f == from)
            fields << f;
    const int i = static_cast<int>(fields.indexOf(from));
    const int j = i + (forward ? 1 : -1);
    if (i < 0 || j < 0 || j >= fields.size()) {
        moveOut(forward);
        return;
    }
    fields.at(j)->setFocus(forward ? Qt::TabFocusReason : Qt::BacktabFocusReason);
}

void TplDateEdit::moveOut(bool forward)
{
    QWidget* w = forward ? nextInFocusChain() : previousInFocusChain();
    while (w && w != this) {
        if (!isAncestorOf(w) && w->window() == window() && (w->focusPolicy() & Qt::TabFocus) && w->isEnabled()
            && w->isVisible()) {
            w->setFocus(forward ? Qt::TabFocusReason : Qt::BacktabFocusReason);
            return;
        }
        w = forward ? w->nextInFocusChain() : w->previousInFocusChain();
    }
}

bool TplDateEdit::fieldKeyPress(QWidget* field, QKeyEvent* e)
{
    emit keyPressed(field, e);
    auto* combo = qobject_cast<QComboBox*>(field);
    const auto mods = e->modifiers();
    switch (e->key()) {
    case Qt::Key_Tab:
        if (mods & (Qt::ControlModifier | Qt::AltModifier))
            return false;
        moveField(field, !(mods & Qt::ShiftModifier));
        return true;
    case Qt::Key_Backtab:
        if (mods & (Qt::ControlModifier | Qt::AltModifier))
            return false;
        moveField(field, false);
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (combo && combo->view()->isVisible())
            combo->hidePopup();
        if (m_enterNext) {
            moveOut(!(mods & Qt::ShiftModifier));
            return true;
        }
        return false; // on to the form (its default button)
    case Qt::Key_Down:
        if (combo && m_dropDownKey && !(mods & Qt::ControlModifier)) {
            if (!combo->view()->isVisible())
                combo->showPopup();
            return true;
        }
        return false;
    case Qt::Key_Delete:
        if (combo) {
            const bool hadText = combo->currentIndex() >= 0;
            combo->setCurrentIndex(-1);
            if (hadText)
                emit changed(combo);
            return true;
        }
        return false;
    default:
        break;
    }
    const QString text = e->text();
    if (text.isEmpty())
        return false;
    const QChar c = text[0];
    if (c.unicode() < 0x20 || c.unicode() == 0x7f)
        return false; // Backspace, Escape and the other control characters
    if (!combo && isAsciiDigit(c))
        return false;
    return true; // every other character is discarded
}
