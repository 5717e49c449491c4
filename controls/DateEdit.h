#pragma once
// TplDateEdit: a composite input for a date, a time or both in
// separate small fields (era box, year, month, day, AM/PM box, hour, minute,
// second, each followed by its label). The year is entered in the Gregorian
// calendar ("西暦") or as a year of a Japanese era; the control converts
// between the two, validates the parts, reports errors in a plain box
// captioned DialogCaption ("日付時刻入力") and can be empty.
//
// The value is a date-time; the empty value is BaseDate (1873-01-01) − 1 day,
// 1872-12-31 00:00. Time-only styles keep the zero date 1899-12-30 as the
// date part.
//
// The "silent abort": every operation that runs the check (check(),
// dateTime(), date(), year(), …) reports the error once and then returns
// failure (false, an invalid QDateTime / QDate, 0 or an empty text), so a
// form stops what it was doing: `if (!dtp->check()) return;`. No exception
// is used.
//
// Signals (the Delphi events): changed(field) for a user change of a field
// or box (typing, choosing an item, Delete in a box), clicked(field),
// keyPressed(field, event) before the control's own key handling, entered()
// when the focus comes into the control and exited() when it has left it
// (after a successful check when ExitCheck is on). The leave handling runs
// from the event loop right after the focus change.

#include <QColor>
#include <QDateTime>
#include <QFlags>
#include <QLabel>
#include <QString>
#include <QWidget>

class QComboBox;
class QLineEdit;
class QKeyEvent;
class TplDateEditField;
class TplDateEditCombo;

enum TplDateEditStyle {
    desYearMonthDayHMS,
    desYearMonthDayHM,
    desYearMonthDayH,
    desYearMonthDay,
    desYearMonth,
    desYear,
    desHourMinuteSecond,
    desHourMinute,
    desHour,
};

enum TplYeardigitSet { yddigit2, yddigit4 };

// The errors of the last check, one bit each in the order the check tests them.
enum TplDateEditError {
    derAllEmpty = 1 << 0,
    derYearEmpty = 1 << 1,
    derMonthEmpty = 1 << 2,
    derDayEmpty = 1 << 3,
    derAMPMEmpty = 1 << 4,
    derHourEmpty = 1 << 5,
    derMinuteEmpty = 1 << 6,
    derSecondEmpty = 1 << 7,
    derBeforeBaseDate = 1 << 8,
    derDateTimeError = 1 << 9,
    derDateError = 1 << 10,
    derTimeError = 1 << 11,
    derSetDateTimeError = 1 << 12,
    derSetDateError = 1 << 13,
    derSetTimeError = 1 << 14,
    derChangeGengo = 1 << 15,
};
Q_DECLARE_FLAGS(TplDateEditErrors, TplDateEditError)
Q_DECLARE_OPERATORS_FOR_FLAGS(TplDateEditErrors)

// The fixed label after each field: light grey face, flat frame, centred.
class TplDateEditLabel : public QLabel {
    Q_OBJECT
public:
    explicit TplDateEditLabel(const QString& text, QWidget* parent = nullptr);
};

class TplDateEdit : public QWidget {
    Q_OBJECT
    Q_PROPERTY(bool EditGengo READ editGengo WRITE setEditGengo)
    Q_PROPERTY(bool EditAmpm READ editAmpm WRITE setEditAmpm)
    Q_PROPERTY(QString LabelYear READ labelYear WRITE setLabelYear)
    Q_PROPERTY(QString LabelMonth READ labelMonth WRITE setLabelMonth)
    Q_PROPERTY(QString LabelDay READ labelDay WRITE setLabelDay)
    Q_PROPERTY(QString LabelHour READ labelHour WRITE setLabelHour)
    Q_PROPERTY(QString LabelMinute READ labelMinute WRITE setLabelMinute)
    Q_PROPERTY(QString LabelSecond READ labelSecond WRITE setLabelSecond)
    Q_PROPERTY(int SpaceWidth READ spaceWidth WRITE setSpaceWidth)
    Q_PROPERTY(bool AutoSelect READ autoSelect WRITE setAutoSelect)
    Q_PROPERTY(bool CanEmpty READ canEmpty WRITE setCanEmpty)
    Q_PROPERTY(bool Gengo READ gengo WRITE setGengo)
    Q_PROPERTY(QColor DisableColor READ disableColor WRITE setDisableColor)
    Q_PROPERTY(QColor DisableFontColor READ disableFontColor WRITE setDisableFontColor)
    Q_PROPERTY(bool DropDownKey READ dropDownKey WRITE setDropDownKey)
    Q_PROPERTY(bool EnterNext READ enterNext WRITE setEnterNext)
    Q_PROPERTY(bool ExitCheck READ exitCheck WRITE setExitCheck)
    Q_PROPERTY(bool DisplayError READ displayError WRITE setDisplayError)
    Q_PROPERTY(QColor FocusedColor READ focusedColor WRITE setFocusedColor)
    Q_PROPERTY(QString DialogCaption READ dialogCaption WRITE setDialogCaption)
    Q_PROPERTY(bool TabStop READ tabStop WRITE setTabStop)
    Q_PROPERTY(QColor Color READ color WRITE setColor)
    Q_PROPERTY(QDateTime DateTime READ storedDateTime WRITE setDateTime)
    Q_PROPERTY(bool IsEmpty READ isEmpty)

public:
    explicit TplDateEdit(QWidget* parent = nullptr);
    ~TplDateEdit() override;

    // --- value ---------------------------------------------------------
    // The first date the control handles, 1873-01-01.
    static QDate baseDate();
    // The empty value, BaseDate − 1 day (1872-12-31 00:00).
    static QDateTime emptyValue();
    // A date and time as they read, in UTC (the control's values are kept so).
    static QDateTime wallClock(const QDate& date, const QTime& time);
    // The date part of time-only values, 1899-12-30.
    static QDate zeroDate();

    // Runs the check; false after the error was reported (ErrorKinds tells
    // which). On success the fields show the value in canonical form.
    bool check();
    // Runs the check and returns the value; invalid when the check failed.
    QDateTime dateTime();
    QDate date();
    // Sets the value; false with
    // derSetDateTimeError for a value that cannot be shown. Setting exactly
    // the empty value empties the control.
    bool setDateTime(const QDateTime& value);
    bool setDate(const QDate& value);
    // The stored value, without running the check.
    QDateTime storedDateTime() const { return m_value; }
    bool isEmpty() const { return m_isEmpty; }
    TplDateEditErrors errorKinds() const { return m_errors; }
    // Clears every field and box and the decomposed values; value := empty.
    void setEditEmpty();

    // Age in whole years and remaining months of a person born on date1 at
    // date2; false (and 0, 0) when date2 is before date1 or a date is invalid.
    static bool getAge(const QDate& date1, const QDate& date2, int ageType, int* years, int* months);

    // --- decomposed value (each runs the check; 0 / "" when it fails) ---
    int year();
    int month();
    int day();
    int hour();
    int minute();
    int second();
    int gengoYear();
    QString gengoStr();
    QString gengoYearStr();
    QString yearStr();
    QString monthStr();
    QString dayStr();
    QString ampmStr();
    QString hourStr();
    QString minuteStr();
    QString secondStr();

    // --- published properties ------------------------------------------
    TplDateEditStyle editStyle() const { return m_style; }
    void setEditStyle(TplDateEditStyle style);
    bool editGengo() const { return m_editGengo; }
    void setEditGengo(bool on);
    bool editAmpm() const { return m_editAmpm; }
    void setEditAmpm(bool on);
    QString labelYear() const;
    QString labelMonth() const;
    QString labelDay() const;
    QString labelHour() const;
    QString labelMinute() const;
    QString labelSecond() const;
    void setLabelYear(const QString& t);
    void setLabelMonth(const QString& t);
    void setLabelDay(const QString& t);
    void setLabelHour(const QString& t);
    void setLabelMinute(const QString& t);
    void setLabelSecond(const QString& t);
    int spaceWidth() const { return m_spaceWidth; }
    void setSpaceWidth(int w);
    TplYeardigitSet yeardigit() const { return m_yeardigit; }
    void setYeardigit(TplYeardigitSet d);
    bool autoSelect() const { return m_autoSelect; }
    void setAutoSelect(bool on);
    bool canEmpty() const { return m_canEmpty; }
    void setCanEmpty(bool on) { m_canEmpty = on; }
    bool gengo() const { return m_gengo; }
    // Stores the flag (false without EditGengo) and, when a field holds
    // text, runs the check, which rewrites the year in the new form.
    void setGengo(bool on);
    QColor disableColor() const { return m_disableColor; }
    void setDisableColor(const QColor& c);
    QColor disableFontColor() const { return m_disableFontColor; }
    void setDisableFontColor(const QColor& c);
    bool dropDownKey() const { return m_dropDownKey; }
    void setDropDownKey(bool on) { m_dropDownKey = on; }
    bool enterNext() const { return m_enterNext; }
    void setEnterNext(bool on) { m_enterNext = on; }
    bool exitCheck() const { return m_exitCheck; }
    void setExitCheck(bool on) { m_exitCheck = on; }
    bool displayError() const { return m_displayError; }
    void setDisplayError(bool on) { m_displayError = on; }
    QColor focusedColor() const { return m_focusedColor; }
    void setFocusedColor(const QColor& c);
    QString dialogCaption() const { return m_dialogCaption; }
    void setDialogCaption(const QString& c) { m_dialogCaption = c; }
    bool tabStop() const { return m_tabStop; }
    void setTabStop(bool on);
    QColor color() const { return m_color; }
    void setColor(const QColor& c);

    // --- sub-controls --------------------------------------------------
    QComboBox* gengoCombo() const;
    QLineEdit* yearEdit() const;
    QLineEdit* monthEdit() const;
    QLineEdit* dayEdit() const;
    QComboBox* ampmCombo() const;
    QLineEdit* hourEdit() const;
    QLineEdit* minuteEdit() const;
    QLineEdit* secondEdit() const;
    TplDateEditLabel* yearLabel() const { return m_yearLabel; }
    TplDateEditLabel* monthLabel() const { return m_monthLabel; }
    TplDateEditLabel* dayLabel() const { return m_dayLabel; }
    TplDateEditLabel* hourLabel() const { return m_hourLabel; }
    TplDateEditLabel* minuteLabel() const { return m_minuteLabel; }
    TplDateEditLabel* secondLabel() const { return m_secondLabel; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

signals:
    void changed(QWidget* field);
    void clicked(QWidget* field);
    void keyPressed(QWidget* field, QKeyEvent* event);
    void entered();
    void exited();

protected:
    void focusInEvent(QFocusEvent* e) override;
    void changeEvent(QEvent* e) override;

private:
    friend class TplDateEditField;
    friend class TplDateEditCombo;

    // Which parts the style shows.
    bool hasYear() const;
    bool hasMonth() const;
    bool hasDay() const;
    bool hasHour() const;
    bool hasMinute() const;
    bool hasSecond() const;
    bool gengoShown() const { return hasYear() && m_editGengo; }
    bool ampmShown() const { return hasHour() && m_editAmpm; }
    bool isShown(QWidget* field) const;
    QList<QWidget*> fieldsInOrder() const;
    QWidget* firstFocusable() const;

    void relayout();
    void showValue();
    void refreshDecomposed();
    void clearDecomposed();
    bool runCheck();
    bool fail(TplDateEditErrors kinds, const QString& text, QWidget* focus);
    bool anyText() const;

    void applyColors(QWidget* field, bool focused);
    void applyAllColors();
    void moveField(QWidget* from, bool forward);
    void moveOut(bool forward);

    // Hooks of the sub-fields.
    bool fieldKeyPress(QWidget* field, QKeyEvent* e);
    void fieldFocusIn(QWidget* field, Qt::FocusReason reason);
    void fieldFocusOut(QWidget* field, Qt::FocusReason reason);
    void leaveControl();

    TplDateEditCombo* m_gengoCombo = nullptr;
    TplDateEditField* m_year = nullptr;
    TplDateEditField* m_month = nullptr;
    TplDateEditField* m_day = nullptr;
    TplDateEditCombo* m_ampmCombo = nullptr;
    TplDateEditField* m_hour = nullptr;
    TplDateEditField* m_minute = nullptr;
    TplDateEditField* m_second = nullptr;
    TplDateEditLabel* m_yearLabel = nullptr;
    TplDateEditLabel* m_monthLabel = nullptr;
    TplDateEditLabel* m_dayLabel = nullptr;
    TplDateEditLabel* m_hourLabel = nullptr;
    TplDateEditLabel* m_minuteLabel = nullptr;
    TplDateEditLabel* m_secondLabel = nullptr;

    QDateTime m_value;
    bool m_isEmpty = true;
    TplDateEditErrors m_errors;

    // Decomposed value.
    int m_dYear = 0, m_dMonth = 0, m_dDay = 0, m_dHour = 0, m_dMinute = 0, m_dSecond = 0, m_dGengoYear = 0;
    QString m_sGengo, m_sGengoYear, m_sYear, m_sMonth, m_sDay, m_sAmpm, m_sHour, m_sMinute, m_sSecond;

    TplDateEditStyle m_style = desYearMonthDay;
    bool m_editGengo = true;
    bool m_editAmpm = false;
    int m_spaceWidth = 7;
    TplYeardigitSet m_yeardigit = yddigit4;
    bool m_autoSelect = true;
    bool m_canEmpty = true;
    bool m_gengo = true;
    QColor m_disableColor = QColor(128, 128, 128);
    QColor m_disableFontColor = QColor(Qt::white);
    bool m_dropDownKey = true;
    bool m_enterNext = true;
    bool m_exitCheck = false;
    bool m_displayError = true;
    QColor m_focusedColor = QColor(0x00, 0xFF, 0xFF);
    QString m_dialogCaption;
    bool m_tabStop = true;
    QColor m_color = QColor(Qt::white);

    bool m_inside = false;   // the focus is in one of the sub-fields
    bool m_checking = false; // a check is running
    QSize m_size;
};
