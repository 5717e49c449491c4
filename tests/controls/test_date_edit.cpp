// TplDateEdit and the era table, driven offscreen with key events.

#include "common/MsgRecorder.h"
#include "controls/DateEdit.h"
#include "controls/JapaneseEra.h"

#include <gtest/gtest.h>

#include <ctime>
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

namespace {

const QString kCaption = QStringLiteral("日付時刻入力");
const QString kBlank = QStringLiteral("空白の入力欄があります．　　");
const QString kAllEmpty = QStringLiteral("入力欄が全て空白です．　　");
const QString kDateBad = QStringLiteral("日付に変換できない値です.　　　");
const QString kBefore = QStringLiteral("1873年1月1日(明治6年1月1日)より前の日付は処理できません．　　");
const QString kGengo = QStringLiteral("2088年(平成100年)以降は元号に変換できません．　　");
const QString kTime11 = QStringLiteral("時刻の入力可能な値は11時59分59秒までです．　　");
const QString kTime23 = QStringLiteral("時刻の入力可能な値は23時59分59秒までです．　　");
const QString kSetBad = QStringLiteral("正しくない日付時刻型の値がセットされました．　　");

// A window with the date edit between two ordinary edits.
struct DateForm {
    QWidget win;
    QLineEdit* before = nullptr;
    TplDateEdit* de = nullptr;
    QLineEdit* after = nullptr;

    explicit DateForm(TplDateEditStyle style = desYearMonthDay)
    {
        auto* lay = new QHBoxLayout(&win);
        before = new QLineEdit(&win);
        before->setObjectName(QStringLiteral("before"));
        de = new TplDateEdit(&win);
        de->setObjectName(QStringLiteral("pdeBirth"));
        de->setEditStyle(style);
        after = new QLineEdit(&win);
        after->setObjectName(QStringLiteral("after"));
        lay->addWidget(before);
        lay->addWidget(de);
        lay->addWidget(after);
        win.show();
        win.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&win));
        before->setFocus(Qt::OtherFocusReason);
    }

    QWidget* focus() const { return QApplication::focusWidget(); }

    // Types into a field as a user would: focus it, select all, type.
    void typeInto(QLineEdit* e, const QString& text)
    {
        e->setFocus(Qt::MouseFocusReason);
        e->selectAll();
        if (text.isEmpty())
            QTest::keyClick(e, Qt::Key_Delete);
        else
            QTest::keyClicks(e, text);
    }
    // Chooses an item of a box (-1 clears it with Delete).
    void choose(QComboBox* c, int index)
    {
        c->setFocus(Qt::MouseFocusReason);
        if (index < 0) {
            QTest::keyClick(c, Qt::Key_Delete);
        } else {
            c->setCurrentIndex(index);
            emit c->activated(index);
        }
    }
    void enterDate(int era, const QString& y, const QString& m, const QString& d)
    {
        choose(de->gengoCombo(), era);
        typeInto(de->yearEdit(), y);
        typeInto(de->monthEdit(), m);
        typeInto(de->dayEdit(), d);
    }
    void enterTime(const QString& h, const QString& mi, const QString& s)
    {
        typeInto(de->hourEdit(), h);
        if (de->minuteEdit()->isVisible())
            typeInto(de->minuteEdit(), mi);
        if (de->secondEdit()->isVisible())
            typeInto(de->secondEdit(), s);
    }
    // Index of an era in the era box.
    static int era(const char* name) { return japaneseEra::indexOf(QString::fromUtf8(name)); }
};

QDateTime dt(int y, int m, int d, int h = 0, int mi = 0, int s = 0)
{
    return TplDateEdit::wallClock(QDate(y, m, d), QTime(h, mi, s));
}

// One plain box with the date edit's caption and the given text.
void expectOneBox(const MsgRecorder& rec, const QString& text)
{
    ASSERT_EQ(rec.boxes.size(), 1) << rec.texts().join(QStringLiteral(" | ")).toStdString();
    EXPECT_EQ(rec.boxes[0].kind, msg::TKind::Plain);
    EXPECT_EQ(rec.boxes[0].caption, kCaption);
    EXPECT_EQ(rec.boxes[0].text, text);
}

} // namespace

// --- era table ---------------------------------------------------------------------

TEST(JapaneseEra, TableFromIcuStartsWithMeiji)
{
    const auto& eras = japaneseEra::eras();
    ASSERT_GE(eras.size(), 5);
    const QStringList names{"明治", "大正", "昭和", "平成", "令和"};
    const QList<int> years{1868, 1912, 1926, 1989, 2019};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(japaneseEra::name(i + 1), names[i]);
        EXPECT_EQ(japaneseEra::firstYear(i + 1), years[i]);
        EXPECT_EQ(japaneseEra::indexOf(names[i]), i + 1);
    }
    EXPECT_EQ(eras[3].firstDate, QDate(1989, 1, 8));
    EXPECT_EQ(eras[4].firstDate, QDate(2019, 5, 1));
    EXPECT_EQ(japaneseEra::name(0), QString());
    EXPECT_EQ(japaneseEra::indexOf(QStringLiteral("西暦")), 0);
}

TEST(JapaneseEra, EraOfADate)
{
    int k = 0;
    int y = 0;
    ASSERT_TRUE(japaneseEra::eraOf(QDate(2019, 5, 1), &k, &y));
    EXPECT_EQ(japaneseEra::name(k), QStringLiteral("令和"));
    EXPECT_EQ(y, 1);
    ASSERT_TRUE(japaneseEra::eraOf(QDate(2019, 4, 30), &k, &y));
    EXPECT_EQ(japaneseEra::name(k), QStringLiteral("平成"));
    EXPECT_EQ(y, 31);
    ASSERT_TRUE(japaneseEra::eraOf(QDate(1989, 1, 7), &k, &y));
    EXPECT_EQ(japaneseEra::name(k), QStringLiteral("昭和"));
    EXPECT_EQ(y, 64);
    ASSERT_TRUE(japaneseEra::eraOf(QDate(1873, 1, 1), &k, &y));
    EXPECT_EQ(japaneseEra::name(k), QStringLiteral("明治"));
    EXPECT_EQ(y, 6);
    EXPECT_FALSE(japaneseEra::eraOf(QDate(1800, 1, 1), &k, &y));
    EXPECT_EQ(k, 0);
}

// --- creation -------------------------------------------------------------------------

TEST(DateEdit, DefaultsAsCreated)
{
    TplDateEdit de;
    EXPECT_EQ(de.editStyle(), desYearMonthDay);
    EXPECT_TRUE(de.editGengo());
    EXPECT_FALSE(de.editAmpm());
    EXPECT_EQ(de.spaceWidth(), 7);
    EXPECT_EQ(de.yeardigit(), yddigit4);
    EXPECT_TRUE(de.autoSelect());
    EXPECT_TRUE(de.canEmpty());
    EXPECT_TRUE(de.gengo());
    EXPECT_EQ(de.disableColor(), QColor(128, 128, 128));
    EXPECT_EQ(de.disableFontColor(), QColor(Qt::white));
    EXPECT_TRUE(de.dropDownKey());
    EXPECT_TRUE(de.enterNext());
    EXPECT_FALSE(de.exitCheck());
    EXPECT_TRUE(de.displayError());
    EXPECT_EQ(de.focusedColor(), QColor(0, 255, 255));
    EXPECT_EQ(de.dialogCaption(), kCaption);
    EXPECT_TRUE(de.tabStop());
    EXPECT_EQ(de.color(), QColor(Qt::white));
    EXPECT_EQ(de.labelYear(), QStringLiteral("年"));
    EXPECT_EQ(de.labelSecond(), QStringLiteral("秒"));
    EXPECT_EQ(TplDateEdit::baseDate(), QDate(1873, 1, 1));
    EXPECT_EQ(TplDateEdit::emptyValue(), dt(1872, 12, 31));
    EXPECT_TRUE(de.isEmpty());
    EXPECT_EQ(de.storedDateTime(), TplDateEdit::emptyValue());

    QStringList items;
    for (int i = 0; i < de.gengoCombo()->count(); ++i)
        items << de.gengoCombo()->itemText(i);
    ASSERT_GE(items.size(), 6);
    EXPECT_EQ(items.mid(0, 6), (QStringList{"西暦", "明治", "大正", "昭和", "平成", "令和"}));
    EXPECT_EQ(items.size(), japaneseEra::count() + 1);
    EXPECT_EQ(de.ampmCombo()->count(), 2);
    EXPECT_EQ(de.ampmCombo()->itemText(1), QStringLiteral("午後"));
    EXPECT_EQ(de.yearEdit()->maxLength(), 4);
    EXPECT_EQ(de.monthEdit()->maxLength(), 2);
    EXPECT_EQ(de.yearLabel()->palette().color(QPalette::Window), QColor(0xE4, 0xE4, 0xE4));
}

TEST(DateEdit, FieldsShownByStyleAndLayout)
{
    DateForm f(desYearMonthDay);
    auto shown = [&](QWidget* w) { return w->isVisible(); };
    EXPECT_TRUE(shown(f.de->gengoCombo()));
    EXPECT_TRUE(shown(f.de->dayEdit()));
    EXPECT_FALSE(shown(f.de->hourEdit()));
    EXPECT_FALSE(shown(f.de->ampmCombo()));
    EXPECT_EQ(f.de->width(), f.de->dayLabel()->geometry().right() + 1) << "the width follows the last label";
    const int rowH = f.de->height();
    EXPECT_EQ(rowH, 8 + QFontMetrics(f.de->font()).height());

    f.de->setEditStyle(desYearMonth);
    EXPECT_FALSE(shown(f.de->dayEdit()));
    EXPECT_EQ(f.de->dayEdit()->text(), QStringLiteral("1")) << "the hidden day holds 1";

    f.de->setEditStyle(desYearMonthDayHM);
    EXPECT_TRUE(shown(f.de->minuteEdit()));
    EXPECT_FALSE(shown(f.de->secondEdit()));
    EXPECT_EQ(f.de->hourEdit()->x(), f.de->dayLabel()->geometry().right() + 1 + 7) << "SpaceWidth gap";
    f.de->setSpaceWidth(-4);
    EXPECT_EQ(f.de->height(), 2 * rowH + 4) << "a negative SpaceWidth puts the time on a second row";
    EXPECT_EQ(f.de->hourEdit()->x(), 0);
    EXPECT_EQ(f.de->hourEdit()->y(), rowH + 4);

    f.de->setEditStyle(desHourMinuteSecond);
    f.de->setEditAmpm(true);
    EXPECT_FALSE(shown(f.de->yearEdit()));
    EXPECT_FALSE(shown(f.de->gengoCombo()));
    EXPECT_TRUE(shown(f.de->ampmCombo()));
    EXPECT_EQ(f.de->ampmCombo()->x(), 0);
    EXPECT_EQ(f.de->height(), rowH);

    f.de->setEditStyle(desYearMonthDay);
    f.de->setEditGengo(false);
    EXPECT_FALSE(shown(f.de->gengoCombo()));
    EXPECT_EQ(f.de->yearEdit()->x(), 0);
    EXPECT_FALSE(f.de->gengo()) << "EditGengo off also turns Gengo off";
}

// --- era conversion --------------------------------------------------------------------

TEST(DateEdit, WesternYearShownAsEraYear)
{
    DateForm f;
    MsgRecorder rec;
    f.enterDate(0, "2019", "5", "1");
    ASSERT_TRUE(f.de->check());
    EXPECT_EQ(f.de->gengoCombo()->currentText(), QStringLiteral("令和"));
    EXPECT_EQ(f.de->yearEdit()->text(), QStringLiteral("1"));
    EXPECT_EQ(f.de->monthEdit()->text(), QStringLiteral("5"));
    EXPECT_EQ(f.de->dayEdit()->text(), QStringLiteral("1"));
    EXPECT_EQ(f.de->dateTime(), dt(2019, 5, 1));
    EXPECT_EQ(f.de->gengoStr(), QStringLiteral("令和"));
    EXPECT_EQ(f.de->gengoYear(), 1);
    EXPECT_EQ(f.de->year(), 2019);
    EXPECT_EQ(f.de->yearStr(), QStringLiteral("2019"));
    EXPECT_FALSE(f.de->isEmpty());
    EXPECT_TRUE(rec.boxes.isEmpty());
}

TEST(DateEdit, EraYearGivesWesternYear)
{
    DateForm f;
    MsgRecorder rec;
    f.enterDate(DateForm::era("平成"), "31", "4", "30");
    EXPECT_EQ(f.de->dateTime(), dt(2019, 4, 30));
    EXPECT_EQ(f.de->gengoCombo()->currentText(), QStringLiteral("平成"));
    EXPECT_EQ(f.de->yearEdit()->text(), QStringLiteral("31"));
    // 平成31年5月1日 is 2019-05-01, shown in its own era.
    f.enterDate(DateForm::era("平成"), "31", "5", "1");
    EXPECT_EQ(f.de->date(), QDate(2019, 5, 1));
    EXPECT_EQ(f.de->gengoCombo()->currentText(), QStringLiteral("令和"));
    EXPECT_EQ(f.de->yearEdit()->text(), QStringLiteral("1"));
    // A blank era box alone reads as 西暦.
    f.choose(f.de->gengoCombo(), -1);
    f.typeInto(f.de->yearEdit(), "1990");
    EXPECT_EQ(f.de->date(), QDate(1990, 5, 1));
    EXPECT_EQ(f.de->gengoCombo()->currentText(), QStringLiteral("平成"));
    EXPECT_EQ(f.de->yearEdit()->text(), QStringLiteral("2"));
    EXPECT_TRUE(rec.boxes.isEmpty());
}

TEST(DateEdit, GengoOffShowsWesternYear)
{
    DateForm f;
    MsgRecorder rec;
    f.de->setDateTime(dt(2019, 5, 1));
    EXPECT_EQ(f.de->gengoCombo()->currentText(), QStringLiteral("令和"));
    f.de->setGengo(false);
    EXPECT_EQ(f.de->gengoCombo()->currentText(), QStringLiteral("西暦"));
    EXPECT_EQ(f.de->yearEdit()->text(), QStringLiteral("2019"));
    f.enterDate(DateForm::era("昭和"), "64", "1", "7");
    EXPECT_EQ(f.de->date(), QDate(1989, 1, 7));
    EXPECT_EQ(f.de->yearEdit()->text(), QStringLiteral("1989"));
    EXPECT_EQ(f.de->gengoCombo()->currentText(), QStringLiteral("西暦"));
    f.de->setGengo(true);
    EXPECT_EQ(f.de->gengoCombo()->currentText(), QStringLiteral("昭和"));
    EXPECT_EQ(f.de->yearEdit()->text(), QStringLiteral("64"));
    EXPECT_TRUE(rec.boxes.isEmpty());
}

// --- the check ---------------------------------------------------------------------------

TEST(DateEdit, BeforeBaseDateRefused)
{
    DateForm f;
    MsgRecorder rec;
    f.enterDate(0, "1872", "12", "31");
    f.before->setFocus(Qt::OtherFocusReason);
    EXPECT_FALSE(f.de->check());
    expectOneBox(rec, kBefore);
    EXPECT_EQ(f.de->errorKinds(), TplDateEditErrors(derBeforeBaseDate));
    EXPECT_EQ(f.focus(), f.de->yearEdit());
    EXPECT_EQ(f.de->yearEdit()->text(), QStringLiteral("1872")) << "the fields keep what was typed";
    EXPECT_FALSE(f.de->dateTime().isValid()) << "a failed read abandons the caller's action";

    rec.boxes.clear();
    f.enterDate(0, "1873", "1", "1");
    EXPECT_EQ(f.de->dateTime(), dt(1873, 1, 1));
    EXPECT_EQ(f.de->gengoCombo()->currentText(), QStringLiteral("明治"));
    EXPECT_EQ(f.de->yearEdit()->text(), QStringLiteral("6"));
    EXPECT_TRUE(rec.boxes.isEmpty());
    EXPECT_EQ(f.de->errorKinds(), TplDateEditErrors());
}

TEST(DateEdit, Year2088OnlyWithGengo)
{
    DateForm f;
    MsgRecorder rec;
    f.enterDate(0, "2088", "1", "1");
    f.after->setFocus(Qt::OtherFocusReason);
    EXPECT_FALSE(f.de->check());
    expectOneBox(rec, kGengo);
    EXPECT_EQ(f.de->errorKinds(), TplDateEditErrors(derChangeGengo));
    EXPECT_EQ(f.focus(), f.de->yearEdit());

    rec.boxes.clear();
    f.de->setGengo(false); // runs the check, which now passes
    EXPECT_TRUE(rec.boxes.isEmpty());
    EXPECT_EQ(f.de->dateTime(), dt(2088, 1, 1));
    EXPECT_EQ(f.de->yearEdit()->text(), QStringLiteral("2088"));
}

TEST(DateEdit, ImpossibleDateRefused)
{
    DateForm f;
    MsgRecorder rec;
    f.enterDate(0, "2023", "2", "29");
    f.after->setFocus(Qt::OtherFocusReason);
    EXPECT_FALSE(f.de->check());
    expectOneBox(rec, kDateBad);
    EXPECT_EQ(f.de->errorKinds(), TplDateEditErrors(derDateError));
    EXPECT_EQ(f.focus(), f.de->yearEdit());
    rec.boxes.clear();
    f.enterDate(0, "2024", "2", "29");
    EXPECT_EQ(f.de->date(), QDate(2024, 2, 29));
    f.enterDate(0, "2024", "13", "1");
    EXPECT_FALSE(f.de->check());
    EXPECT_EQ(rec.last(), kDateBad);
    f.enterDate(0, "0", "1", "1");
    EXPECT_FALSE(f.de->check());
    EXPECT_EQ(rec.last(), kDateBad);
}

TEST(DateEdit, TimeLimits24Hour)
{
    DateForm f(desYearMonthDayHMS);
    MsgRecorder rec;
    f.enterDate(0, "2024", "3", "15");
    f.enterTime("24", "0", "0");
    f.after->setFocus(Qt::OtherFocusReason);
    EXPECT_FALSE(f.de->check());
    expectOneBox(rec, kTime23);
    EXPECT_EQ(f.de->errorKinds(), TplDateEditErrors(derTimeError));
    EXPECT_EQ(f.focus(), f.de->hourEdit());

    rec.boxes.clear();
    f.enterTime("23", "60", "0");
    f.after->setFocus(Qt::OtherFocusReason);
    EXPECT_FALSE(f.de->check());
    expectOneBox(rec, kTime23);
    EXPECT_EQ(f.focus(), f.de->minuteEdit());

    rec.boxes.clear();
    f.enterTime("23", "59", "59");
    EXPECT_EQ(f.de->dateTime(), dt(2024, 3, 15, 23, 59, 59));
    EXPECT_TRUE(rec.boxes.isEmpty());
    EXPECT_EQ(f.de->hour(), 23);
    EXPECT_EQ(f.de->second(), 59);
}

TEST(DateEdit, TimeLimits12Hour)
{
    DateForm f(desYearMonthDayHM);
    f.de->setEditAmpm(true);
    MsgRecorder rec;
    f.enterDate(0, "2024", "3", "15");
    f.choose(f.de->ampmCombo(), 1);
    f.enterTime("12", "0", "");
    f.after->setFocus(Qt::OtherFocusReason);
    EXPECT_FALSE(f.de->check());
    expectOneBox(rec, kTime11);
    EXPECT_EQ(f.focus(), f.de->hourEdit());

    rec.boxes.clear();
    f.enterTime("1", "5", "");
    EXPECT_EQ(f.de->dateTime(), dt(2024, 3, 15, 13, 5));
    EXPECT_EQ(f.de->ampmStr(), QStringLiteral("午後"));
    EXPECT_EQ(f.de->hourStr(), QStringLiteral("1"));

    // Showing a value: hours above 11 select 午後 and show hour − 12.
    f.de->setDateTime(dt(2024, 3, 16, 23, 7));
    EXPECT_EQ(f.de->ampmCombo()->currentText(), QStringLiteral("午後"));
    EXPECT_EQ(f.de->hourEdit()->text(), QStringLiteral("11"));
    EXPECT_EQ(f.de->minuteEdit()->text(), QStringLiteral("7"));
    f.de->setDateTime(dt(2024, 3, 16, 9, 30));
    EXPECT_EQ(f.de->ampmCombo()->currentText(), QStringLiteral("午前"));
    EXPECT_EQ(f.de->hourEdit()->text(), QStringLiteral("9"));
    EXPECT_TRUE(rec.boxes.isEmpty());

    // A blank AM/PM box.
    f.choose(f.de->ampmCombo(), -1);
    f.after->setFocus(Qt::OtherFocusReason);
    EXPECT_FALSE(f.de->check());
    expectOneBox(rec, kBlank);
    EXPECT_EQ(f.de->errorKinds(), TplDateEditErrors(derAMPMEmpty));
    EXPECT_EQ(f.focus(), f.de->ampmCombo());
}

TEST(DateEdit, TwoDigitYear)
{
    DateForm f;
    MsgRecorder rec;
    f.de->setGengo(false);
    f.de->setYeardigit(yddigit2);
    EXPECT_EQ(f.de->yearEdit()->maxLength(), 2);
    f.enterDate(0, "24", "2", "29");
    const int century = QDate::currentDate().year() / 100 * 100;
    EXPECT_EQ(f.de->date(), QDate(century + 24, 2, 29));
    EXPECT_EQ(f.de->yearEdit()->text(), QStringLiteral("24"));
    EXPECT_EQ(f.de->gengoCombo()->currentText(), QStringLiteral("西暦"));
    f.de->setDateTime(dt(2005, 6, 7));
    EXPECT_EQ(f.de->yearEdit()->text(), QStringLiteral("05"));
    EXPECT_TRUE(rec.boxes.isEmpty());
}

TEST(DateEdit, AllFieldsClearedGivesTheEmptyValue)
{
    DateForm f;
    MsgRecorder rec;
    f.de->setDateTime(dt(2020, 1, 2));
    EXPECT_FALSE(f.de->isEmpty());
    f.enterDate(-1, "", "", "");
    EXPECT_EQ(f.de->dateTime(), dt(1872, 12, 31));
    EXPECT_TRUE(f.de->isEmpty());
    EXPECT_TRUE(rec.boxes.isEmpty());
    EXPECT_EQ(f.de->year(), 0);
    EXPECT_EQ(f.de->gengoStr(), QString());

    f.de->setCanEmpty(false);
    f.after->setFocus(Qt::OtherFocusReason);
    EXPECT_FALSE(f.de->check());
    expectOneBox(rec, kAllEmpty);
    EXPECT_EQ(f.de->errorKinds(), TplDateEditErrors(derAllEmpty));
    EXPECT_EQ(f.focus(), f.de->gengoCombo()) << "no field named: the first shown one";
}

TEST(DateEdit, BlankFieldsReportedTogether)
{
    DateForm f;
    MsgRecorder rec;
    f.enterDate(DateForm::era("令和"), "5", "", "");
    f.after->setFocus(Qt::OtherFocusReason);
    EXPECT_FALSE(f.de->check());
    expectOneBox(rec, kBlank);
    EXPECT_EQ(f.de->errorKinds(), derMonthEmpty | derDayEmpty);
    EXPECT_EQ(f.focus(), f.de->monthEdit());
    EXPECT_FALSE(f.de->isEmpty());

    // A selected era alone is not an empty control.
    rec.boxes.clear();
    f.enterDate(DateForm::era("令和"), "", "", "");
    EXPECT_FALSE(f.de->check());
    expectOneBox(rec, kBlank);
    EXPECT_EQ(f.de->errorKinds(), derYearEmpty | derMonthEmpty | derDayEmpty);
    EXPECT_EQ(f.focus(), f.de->yearEdit());

    // With another field blank, a blank era box adds derYearEmpty and takes the focus.
    rec.boxes.clear();
    f.enterDate(-1, "2020", "1", "");
    f.after->setFocus(Qt::OtherFocusReason);
    EXPECT_FALSE(f.de->check());
    EXPECT_EQ(f.de->errorKinds(), derYearEmpty | derDayEmpty);
    EXPECT_EQ(f.focus(), f.de->gengoCombo());
}

TEST(DateEdit, DisplayErrorOffReportsOnlyThroughErrorKinds)
{
    DateForm f;
    MsgRecorder rec;
    f.de->setDisplayError(false);
    f.enterDate(0, "2023", "2", "30");
    f.after->setFocus(Qt::OtherFocusReason);
    EXPECT_FALSE(f.de->check());
    EXPECT_TRUE(rec.boxes.isEmpty());
    EXPECT_EQ(f.de->errorKinds(), TplDateEditErrors(derDateError));
    EXPECT_EQ(f.focus(), f.de->yearEdit());
}

TEST(DateEdit, OwnDialogCaption)
{
    DateForm f;
    MsgRecorder rec;
    f.de->setDialogCaption(QStringLiteral("生年月日"));
    f.enterDate(0, "1800", "1", "1");
    EXPECT_FALSE(f.de->check());
    ASSERT_EQ(rec.boxes.size(), 1);
    EXPECT_EQ(rec.boxes[0].caption, QStringLiteral("生年月日"));
}

// --- setting the value ---------------------------------------------------------------------

TEST(DateEdit, SettingTheValue)
{
    DateForm f(desYearMonthDay);
    MsgRecorder rec;
    ASSERT_TRUE(f.de->setDateTime(dt(1990, 7, 8, 12, 34, 56)));
    EXPECT_EQ(f.de->storedDateTime(), dt(1990, 7, 8)) << "date-only styles keep the date part";
    EXPECT_EQ(f.de->gengoCombo()->currentText(), QStringLiteral("平成"));
    EXPECT_EQ(f.de->yearEdit()->text(), QStringLiteral("2"));
    EXPECT_EQ(f.de->monthEdit()->text(), QStringLiteral("7"));
    EXPECT_EQ(f.de->dayEdit()->text(), QStringLiteral("8"));
    EXPECT_EQ(f.de->errorKinds(), TplDateEditErrors());

    EXPECT_FALSE(f.de->setDateTime(QDateTime()));
    expectOneBox(rec, kSetBad);
    EXPECT_EQ(f.de->errorKinds(), TplDateEditErrors(derSetDateTimeError));

    // Setting the empty value empties the control.
    ASSERT_TRUE(f.de->setDateTime(TplDateEdit::emptyValue()));
    EXPECT_TRUE(f.de->isEmpty());
    EXPECT_EQ(f.de->yearEdit()->text(), QString());
    EXPECT_EQ(f.de->gengoCombo()->currentIndex(), -1);

    DateForm t(desHourMinuteSecond);
    ASSERT_TRUE(t.de->setDateTime(dt(2024, 1, 2, 3, 4, 5)));
    EXPECT_EQ(t.de->storedDateTime(), dt(1899, 12, 30, 3, 4, 5)) << "time-only keeps the time";
    EXPECT_EQ(t.de->hourEdit()->text(), QStringLiteral("3"));
    EXPECT_EQ(t.de->secondEdit()->text(), QStringLiteral("5"));
    EXPECT_EQ(t.de->dateTime(), dt(1899, 12, 30, 3, 4, 5));
}

TEST(DateEdit, SetEditEmptyAndStyleChange)
{
    DateForm f(desYearMonthDayHMS);
    f.de->setDateTime(dt(2001, 2, 3, 4, 5, 6));
    EXPECT_EQ(f.de->minuteStr(), QStringLiteral("5"));
    f.de->setEditEmpty();
    EXPECT_TRUE(f.de->isEmpty());
    EXPECT_EQ(f.de->storedDateTime(), TplDateEdit::emptyValue());
    for (QLineEdit* e : {f.de->yearEdit(), f.de->monthEdit(), f.de->dayEdit(), f.de->hourEdit(),
                         f.de->minuteEdit(), f.de->secondEdit()})
        EXPECT_EQ(e->text(), QString());
    EXPECT_EQ(f.de->gengoCombo()->currentIndex(), -1);
    f.de->setDateTime(dt(2001, 2, 3, 4, 5, 6));
    f.de->setEditStyle(desYearMonthDay);
    EXPECT_TRUE(f.de->isEmpty()) << "a change of style empties the control";
    EXPECT_EQ(f.de->yearEdit()->text(), QString());
}

TEST(DateEdit, YearAndYearMonthStyles)
{
    DateForm f(desYearMonth);
    MsgRecorder rec;
    f.choose(f.de->gengoCombo(), 0);
    f.typeInto(f.de->yearEdit(), "2024");
    f.typeInto(f.de->monthEdit(), "2");
    EXPECT_EQ(f.de->date(), QDate(2024, 2, 1));
    EXPECT_EQ(f.de->yearEdit()->text(), QStringLiteral("6"));

    DateForm g(desYear);
    g.choose(g.de->gengoCombo(), DateForm::era("昭和"));
    g.typeInto(g.de->yearEdit(), "50");
    EXPECT_EQ(g.de->date(), QDate(1975, 1, 1));
    EXPECT_TRUE(rec.boxes.isEmpty());
}

// --- keyboard and focus ------------------------------------------------------------------------

TEST(DateEdit, OnlyDigitsAreTyped)
{
    DateForm f;
    f.de->yearEdit()->setFocus(Qt::TabFocusReason);
    QTest::keyClicks(f.de->yearEdit(), QStringLiteral("2a0-1.9x9"));
    EXPECT_EQ(f.de->yearEdit()->text(), QStringLiteral("2019")) << "at most 4 characters, digits only";
    QTest::keyClick(f.de->yearEdit(), Qt::Key_Backspace);
    EXPECT_EQ(f.de->yearEdit()->text(), QStringLiteral("201"));
    f.de->monthEdit()->setFocus(Qt::TabFocusReason);
    QTest::keyClicks(f.de->monthEdit(), QStringLiteral("123"));
    EXPECT_EQ(f.de->monthEdit()->text(), QStringLiteral("12"));
    // Letters do not search the boxes.
    f.de->gengoCombo()->setFocus(Qt::TabFocusReason);
    f.de->gengoCombo()->setCurrentIndex(0);
    QTest::keyClicks(f.de->gengoCombo(), QStringLiteral("h"));
    EXPECT_EQ(f.de->gengoCombo()->currentIndex(), 0);
}

TEST(DateEdit, TabMovesBetweenSubFieldsEnterLeaves)
{
    DateForm f;
    f.de->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(f.focus(), f.de->gengoCombo()) << "focusing the control focuses its first field";
    QTest::keyClick(f.focus(), Qt::Key_Tab);
    EXPECT_EQ(f.focus(), f.de->yearEdit());
    QTest::keyClick(f.focus(), Qt::Key_Tab);
    EXPECT_EQ(f.focus(), f.de->monthEdit());
    QTest::keyClick(f.focus(), Qt::Key_Tab);
    EXPECT_EQ(f.focus(), f.de->dayEdit());
    QTest::keyClick(f.focus(), Qt::Key_Tab, Qt::ShiftModifier);
    EXPECT_EQ(f.focus(), f.de->monthEdit());
    QTest::keyClick(f.focus(), Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(f.focus(), f.de->yearEdit());
    // Enter moves to the next control of the form, Shift+Enter to the previous.
    QTest::keyClick(f.focus(), Qt::Key_Return);
    EXPECT_EQ(f.focus(), f.after);
    f.de->dayEdit()->setFocus(Qt::OtherFocusReason);
    QTest::keyClick(f.focus(), Qt::Key_Return, Qt::ShiftModifier);
    EXPECT_EQ(f.focus(), f.before);
    // Tab from the last field leaves the control.
    f.de->dayEdit()->setFocus(Qt::OtherFocusReason);
    QTest::keyClick(f.focus(), Qt::Key_Tab);
    EXPECT_EQ(f.focus(), f.after);
    // Without EnterNext, Enter stays.
    f.de->setEnterNext(false);
    f.de->dayEdit()->setFocus(Qt::OtherFocusReason);
    QTest::keyClick(f.focus(), Qt::Key_Return);
    EXPECT_EQ(f.focus(), f.de->dayEdit());
}

TEST(DateEdit, DownOpensABoxDeleteClearsIt)
{
    DateForm f;
    QSignalSpy changed(f.de, &TplDateEdit::changed);
    QComboBox* box = f.de->gengoCombo();
    box->setFocus(Qt::TabFocusReason);
    box->setCurrentIndex(2);
    QTest::keyClick(box, Qt::Key_Down);
    EXPECT_TRUE(box->view()->isVisible());
    EXPECT_EQ(box->currentIndex(), 2) << "Down opens the list instead of moving";
    box->hidePopup();
    QTest::qWait(10);
    box->setFocus(Qt::TabFocusReason);
    QTest::keyClick(box, Qt::Key_Delete);
    EXPECT_EQ(box->currentIndex(), -1);
    ASSERT_EQ(changed.count(), 1);
    EXPECT_EQ(changed.at(0).at(0).value<QWidget*>(), box);
    QTest::keyClick(box, Qt::Key_Delete);
    EXPECT_EQ(changed.count(), 1) << "no change event for an empty box";
    // Typing in a field is a change of that field.
    f.typeInto(f.de->dayEdit(), "3");
    EXPECT_EQ(changed.count(), 2);
    EXPECT_EQ(changed.at(1).at(0).value<QWidget*>(), f.de->dayEdit());
}

TEST(DateEdit, FocusColoursAndAutoSelect)
{
    DateForm f;
    f.de->setDateTime(dt(2019, 5, 1));
    QLineEdit* year = f.de->yearEdit();
    year->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(year->palette().color(QPalette::Base), QColor(0, 255, 255));
    EXPECT_EQ(year->selectedText(), QStringLiteral("1"));
    QTest::keyClick(year, Qt::Key_Tab);
    EXPECT_EQ(year->palette().color(QPalette::Base), QColor(Qt::white));
    EXPECT_EQ(f.de->monthEdit()->palette().color(QPalette::Base), QColor(0, 255, 255));

    f.de->setAutoSelect(false);
    f.de->setFocusedColor(QColor(255, 255, 0));
    year->setFocus(Qt::TabFocusReason);
    EXPECT_FALSE(year->hasSelectedText());
    EXPECT_EQ(year->cursorPosition(), 0);
    EXPECT_EQ(year->palette().color(QPalette::Base), QColor(255, 255, 0));
    EXPECT_EQ(f.de->gengoCombo()->view()->palette().color(QPalette::Highlight), QColor(255, 255, 0));

    f.de->setEnabled(false);
    EXPECT_EQ(year->palette().color(QPalette::Disabled, QPalette::Base), QColor(128, 128, 128));
    EXPECT_EQ(year->palette().color(QPalette::Disabled, QPalette::Text), QColor(Qt::white));
}

TEST(DateEdit, ExitCheckReportsOnceAndKeepsTheFocus)
{
    DateForm f;
    MsgRecorder rec;
    f.de->setExitCheck(true);
    f.de->setEnterNext(false);
    QSignalSpy exited(f.de, &TplDateEdit::exited);
    QSignalSpy entered(f.de, &TplDateEdit::entered);
    f.enterDate(0, "2023", "2", "29");
    EXPECT_EQ(entered.count(), 1);
    QTest::keyClick(f.de->dayEdit(), Qt::Key_Tab); // leaves the control
    QTest::qWait(20);
    expectOneBox(rec, kDateBad);
    EXPECT_EQ(f.focus(), f.de->yearEdit());
    EXPECT_EQ(exited.count(), 0);

    // Corrected, the control is left normally.
    rec.boxes.clear();
    f.typeInto(f.de->dayEdit(), "28");
    QTest::keyClick(f.de->dayEdit(), Qt::Key_Tab);
    QTest::qWait(20);
    EXPECT_TRUE(rec.boxes.isEmpty());
    EXPECT_EQ(f.focus(), f.after);
    EXPECT_EQ(exited.count(), 1);
    EXPECT_EQ(f.de->storedDateTime(), dt(2023, 2, 28));
    EXPECT_EQ(f.de->yearEdit()->text(), QStringLiteral("5")) << "令和5";
}

TEST(DateEdit, ExitCheckDoesNotRepeatAFormsOwnCheck)
{
    // A form's button reads the value after the focus left the control:
    // the error is reported once, by whichever check runs first.
    DateForm f;
    MsgRecorder rec;
    f.de->setExitCheck(true);
    f.enterDate(0, "1800", "1", "1");
    f.after->setFocus(Qt::MouseFocusReason); // the button takes the focus
    EXPECT_FALSE(f.de->dateTime().isValid()); // its handler runs before the event loop
    QTest::qWait(20);
    expectOneBox(rec, kBefore);
    EXPECT_EQ(f.focus(), f.de->yearEdit());
}

TEST(DateEdit, FailedExitCheckCancelsTheButtonClickThatLeftTheControl)
{
    DateForm f;
    MsgRecorder rec;
    auto* button = new QPushButton(QStringLiteral("登録"), &f.win);
    f.win.layout()->addWidget(button);
    QTest::qWait(10);
    int saves = 0;
    QObject::connect(button, &QPushButton::clicked, [&] {
        if (!f.de->check())
            return; // the form stops what it was doing
        ++saves;
    });
    f.de->setExitCheck(true);
    f.enterDate(0, "2023", "2", "29");
    // Press, let the event loop run (as between a person's press and release), release.
    QTest::mousePress(button, Qt::LeftButton);
    QTest::qWait(20);
    QTest::mouseRelease(button, Qt::LeftButton);
    QTest::qWait(20);
    expectOneBox(rec, kDateBad);
    EXPECT_EQ(saves, 0);
    EXPECT_EQ(f.focus(), f.de->yearEdit());

    // Press and release at once: the button's own check reports, the leave check stays silent.
    rec.boxes.clear();
    QTest::mouseClick(button, Qt::LeftButton);
    QTest::qWait(20);
    expectOneBox(rec, kDateBad);
    EXPECT_EQ(saves, 0);
    EXPECT_EQ(f.focus(), f.de->yearEdit());

    // Corrected: the click goes through.
    rec.boxes.clear();
    f.typeInto(f.de->dayEdit(), "28");
    QTest::mouseClick(button, Qt::LeftButton);
    QTest::qWait(20);
    EXPECT_TRUE(rec.boxes.isEmpty());
    EXPECT_EQ(saves, 1);
}

TEST(DateEdit, WithoutExitCheckLeavingIsSilent)
{
    DateForm f;
    MsgRecorder rec;
    QSignalSpy exited(f.de, &TplDateEdit::exited);
    f.enterDate(0, "2023", "2", "29");
    QTest::keyClick(f.de->dayEdit(), Qt::Key_Tab);
    QTest::qWait(20);
    EXPECT_TRUE(rec.boxes.isEmpty());
    EXPECT_EQ(f.focus(), f.after);
    EXPECT_EQ(exited.count(), 1);
}

// --- age ------------------------------------------------------------------------------------------

TEST(DateEdit, GetAge)
{
    int y = -1;
    int m = -1;
    // Type 1: the age changes on the day before the anniversary.
    ASSERT_TRUE(TplDateEdit::getAge(QDate(2000, 4, 1), QDate(2010, 3, 31), 1, &y, &m));
    EXPECT_EQ(y, 10);
    EXPECT_EQ(m, 0);
    // Type 0: on the anniversary.
    ASSERT_TRUE(TplDateEdit::getAge(QDate(2000, 4, 1), QDate(2010, 3, 31), 0, &y, &m));
    EXPECT_EQ(y, 9);
    EXPECT_EQ(m, 11);
    ASSERT_TRUE(TplDateEdit::getAge(QDate(2000, 4, 1), QDate(2010, 4, 1), 0, &y, &m));
    EXPECT_EQ(y, 10);
    EXPECT_EQ(m, 0);
    // 31 December counts as the start of January.
    ASSERT_TRUE(TplDateEdit::getAge(QDate(2000, 1, 1), QDate(2009, 12, 31), 1, &y, &m));
    EXPECT_EQ(y, 10);
    EXPECT_EQ(m, 0);
    ASSERT_TRUE(TplDateEdit::getAge(QDate(2000, 1, 15), QDate(2009, 12, 31), 1, &y, &m));
    EXPECT_EQ(y, 9);
    EXPECT_EQ(m, 11);
    ASSERT_TRUE(TplDateEdit::getAge(QDate(1990, 6, 20), QDate(2024, 3, 10), 0, &y, &m));
    EXPECT_EQ(y, 33);
    EXPECT_EQ(m, 8);
    // Date2 before date1, or an invalid date.
    EXPECT_FALSE(TplDateEdit::getAge(QDate(2010, 1, 2), QDate(2010, 1, 1), 0, &y, &m));
    EXPECT_EQ(y, 0);
    EXPECT_EQ(m, 0);
    EXPECT_FALSE(TplDateEdit::getAge(QDate(), QDate(2010, 1, 1), 1, &y, &m));
}

// Japan's summer time of 1948 to 1951 began at midnight: 1948-05-02 had no
// local midnight. A date is a date whatever the zone.
TEST(DateEdit, DaysWithoutALocalMidnightAreDatesAllTheSame)
{
    const QByteArray savedTz = qgetenv("TZ");
    qputenv("TZ", "Asia/Tokyo");
    tzset();
    struct TRestore {
        QByteArray tz;
        ~TRestore()
        {
            if (tz.isEmpty())
                qunsetenv("TZ");
            else
                qputenv("TZ", tz);
            tzset();
        }
    } restore{savedTz};
    const QDate gap(1948, 5, 2);
    DateForm f;
    MsgRecorder rec;
    ASSERT_TRUE(f.de->setDate(gap));
    EXPECT_EQ(f.de->date(), gap);
    EXPECT_EQ(f.de->storedDateTime().date(), gap);
    f.de->setEditEmpty();
    f.enterDate(0, "1948", "5", "2");
    f.before->setFocus(Qt::OtherFocusReason);
    EXPECT_EQ(f.de->date(), gap) << rec.texts().join(QStringLiteral(" | ")).toStdString();
    EXPECT_TRUE(rec.boxes.isEmpty());

    // a value before the first date is refused plainly, not taken
    EXPECT_FALSE(f.de->setDate(QDate(1800, 1, 1)));
    expectOneBox(rec, kBefore);
    EXPECT_EQ(f.de->date(), gap);
}
