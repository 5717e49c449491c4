// The date edit's check on mutated field texts and era texts: what the
// check accepts is a valid date the fields meant, shown in a form that
// checks to the same value; what it refuses it reports once and leaves the
// value as it was. Era texts formatted from a date read back, through the
// era table and the date edit, as that date.

#include "fuzz/Fuzz.h"

#include "common/MsgRecorder.h"
#include "controls/DateEdit.h"
#include "controls/EraText.h"
#include "controls/JapaneseEra.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QRegularExpression>
#include <QValidator>

namespace {

const QStringList kFieldTexts{"", "1", "01", "12", "31", "29", "30", "0", "00", "50", "64", "99", "1975",
                              "1873", "1872", "2087", "2088", "9999", "0001", "23", "59", "60", "11"};

// What a field takes: the mutated text as the field's own validator and
// length let it in (digits only, two or four of them).
QString fieldText(fuzz::TMutator& m, QLineEdit* field)
{
    QString t = m.text(kFieldTexts, fuzz::textTokens());
    t.removeIf([](QChar c) { return c < QLatin1Char('0') || c > QLatin1Char('9'); });
    t.truncate(field->maxLength());
    int pos = 0;
    EXPECT_EQ(field->validator()->validate(t, pos), QValidator::Acceptable) << fuzz::show(t);
    return t;
}

// The Gregorian year the era box (ignored without EditGengo) and the year field mean.
int meantYear(TplDateEdit& de, const QString& year)
{
    const int k = de.editGengo() ? de.gengoCombo()->currentIndex() : -1;
    if (k >= 1)
        return year.toInt() + japaneseEra::firstYear(k) - 1;
    return year.toInt() + (de.yeardigit() == yddigit2 ? QDate::currentDate().year() / 100 * 100 : 0);
}

} // namespace

TEST(FuzzDateEdit, AcceptedFieldsAreTheDateTheyMeanAndRefusedOnesChangeNothing)
{
    fuzz::TMutator m(1873);
    TplDateEdit de;
    MsgRecorder boxes;
    QLineEdit* const fields[] = {de.yearEdit(), de.monthEdit(), de.dayEdit(),
                                 de.hourEdit(), de.minuteEdit(), de.secondEdit()};
    QStringList texts;
    std::string settings;
    fuzz::run(
        [&](int) {
            const auto style = TplDateEditStyle(m.below(desHour + 1));
            de.setEditStyle(style);
            de.setEditGengo(!m.chance(4));
            de.setGengo(m.chance(3) != 0);
            de.setYeardigit(m.chance(6) ? yddigit2 : yddigit4);
            de.setEditAmpm(m.chance(3));
            de.setCanEmpty(m.chance(2));
            de.gengoCombo()->setCurrentIndex(m.below(japaneseEra::count() + 2) - 1);
            de.ampmCombo()->setCurrentIndex(m.below(3) - 1);
            texts.clear();
            for (QLineEdit* f : fields) {
                f->setText(m.chance(8) ? QString() : fieldText(m, f));
                texts << f->text();
            }
            settings = QStringLiteral("style %1 editGengo %2 gengo %3 digits %4 ampm %5 era %6 %7")
                           .arg(style).arg(de.editGengo()).arg(de.gengo()).arg(de.yeardigit()).arg(de.editAmpm())
                           .arg(de.gengoCombo()->currentIndex()).arg(de.ampmCombo()->currentIndex()).toStdString();
            const bool hasDate = style <= desYear;
            const bool hasTime = style <= desYearMonthDayH || style >= desHourMinuteSecond;
            const int year = meantYear(de, texts[0]);
            const QDateTime before = de.storedDateTime();
            boxes.boxes.clear();

            if (!de.check()) {
                ASSERT_EQ(boxes.boxes.size(), 1);
                ASSERT_NE(de.errorKinds(), TplDateEditErrors());
                ASSERT_EQ(de.storedDateTime(), before);
                return;
            }
            ASSERT_TRUE(boxes.boxes.isEmpty()) << boxes.last().toStdString();
            const QDateTime v = de.storedDateTime();
            ASSERT_TRUE(v.isValid());
            if (de.isEmpty()) {
                ASSERT_EQ(v, TplDateEdit::emptyValue());
                return;
            }
            const QDate d = v.date();
            if (hasDate) {
                ASSERT_TRUE(d.isValid() && d >= TplDateEdit::baseDate());
                ASSERT_EQ(d.year(), year);
                if (style <= desYearMonth)
                    ASSERT_EQ(d.month(), texts[1].toInt());
                if (style <= desYearMonthDay)
                    ASSERT_EQ(d.day(), texts[2].toInt());
                if (de.gengo())
                    ASSERT_LT(d.year(), 2088);
            } else {
                ASSERT_EQ(d, TplDateEdit::zeroDate());
            }
            if (hasTime)
                ASSERT_EQ(v.time().hour() % 12, texts[3].toInt() % 12);
            else
                ASSERT_EQ(v.time(), QTime(0, 0));
            // The canonical form the fields now show checks to the same value
            // (a two-digit Gregorian year reads in the present century).
            const bool twoDigit = de.yeardigit() == yddigit2 && de.gengoCombo()->currentIndex() == 0;
            if (!twoDigit || d.year() / 100 == QDate::currentDate().year() / 100) {
                ASSERT_TRUE(de.check()) << boxes.last().toStdString();
                ASSERT_EQ(de.storedDateTime(), v);
            }
        },
        [&] { return fuzz::show(texts) + " with " + settings; });
}

namespace {

// "昭和50年4月1日" into era name, year, month and day.
const QRegularExpression kEraDate(QStringLiteral("^(\\D+)([0-9]+)年([0-9]+)月([0-9]+)日$"));

// The date the date edit reads from the era text; invalid when it refuses it.
QDate readEraText(TplDateEdit& de, const QString& text)
{
    const QRegularExpressionMatch p = kEraDate.match(text);
    const int k = japaneseEra::indexOf(p.captured(1));
    if (!p.hasMatch() || k < 1 || p.captured(2).size() > 4 || p.captured(3).size() > 2 || p.captured(4).size() > 2)
        return {};
    de.gengoCombo()->setCurrentIndex(k);
    de.yearEdit()->setText(p.captured(2));
    de.monthEdit()->setText(p.captured(3));
    de.dayEdit()->setText(p.captured(4));
    return de.date();
}

QDate randomDate(fuzz::TMutator& m)
{
    switch (m.below(8)) {
    case 0: return QDate();
    case 1: return QDate(1, 1, 1).addDays(m.below(3652059));   // 0001-01-01 .. 9999-12-31
    default: return QDate(1860, 1, 1).addDays(m.below(365 * 240));
    }
}

} // namespace

TEST(FuzzEraText, EraTextsReadBackAsTheDateTheyWereWrittenFrom)
{
    fuzz::TMutator m(1989);
    TplDateEdit de;
    de.setDisplayError(false);
    const auto& eras = japaneseEra::eras();
    QDate date;
    QString text;
    QStringList corpus;
    for (int y = 1868; y < 2100; y += 13)
        corpus << eraText::eraDate(QDate(y, 1 + y % 12, 1 + y % 28));
    fuzz::run(
        [&](int) {
            date = randomDate(m);
            text = eraText::eraDate(date);
            int k = 0;
            int ey = 0;
            ASSERT_EQ(japaneseEra::eraOf(date, &k, &ey), !text.isEmpty());
            if (!text.isEmpty()) {
                // The era in force on the date, and the year counted from its first year.
                ASSERT_TRUE(eras.at(k - 1).firstDate <= date && (k == eras.size() || date < eras.at(k).firstDate));
                ASSERT_EQ(japaneseEra::firstYear(k) + ey - 1, date.year());
                ASSERT_GE(ey, 1);
                ASSERT_EQ(text, eraText::eraYear(date) + QStringLiteral("年%1月%2日").arg(date.month()).arg(date.day()));
                ASSERT_EQ(eraText::birthText(date),
                          QStringLiteral("%1/%2/%3 (%4)").arg(date.year()).arg(date.month()).arg(date.day()).arg(text));
                // The date edit reads the text back as the date, within its range.
                if (date >= TplDateEdit::baseDate() && date.year() < 2088)
                    ASSERT_EQ(readEraText(de, text), date);
            } else {
                ASSERT_EQ(eraText::birthText(date).isEmpty(), !date.isValid());
            }
            // A mutated era text the date edit accepts is written back as a
            // text that reads as the same date.
            text = m.text(corpus, fuzz::textTokens());
            const QDate read = readEraText(de, text);
            if (read.isValid())
                ASSERT_EQ(readEraText(de, eraText::eraDate(read)), read) << fuzz::show(eraText::eraDate(read));
        },
        [&] { return date.toString(Qt::ISODate).toStdString() + " " + fuzz::show(text); });
}
