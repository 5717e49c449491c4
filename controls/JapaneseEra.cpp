#include "controls/JapaneseEra.h"

#include <unicode/calendar.h>
#include <unicode/dtfmtsym.h>
#include <unicode/locid.h>
#include <unicode/timezone.h>
#include <unicode/unistr.h>

#include <memory>

namespace japaneseEra {
namespace {

// The first date the date edit handles; its era is the first of the table.
const QDate kFirstDate(1873, 1, 1);

QString toQString(const icu::UnicodeString& s)
{
    return QString(reinterpret_cast<const QChar*>(s.getBuffer()), s.length());
}

// Milliseconds since 1970-01-01 UTC of noon of a date (the calendar runs in GMT).
UDate toUDate(const QDate& d)
{
    static const QDate epoch(1970, 1, 1);
    return (static_cast<double>(epoch.daysTo(d)) + 0.5) * 86400000.0;
}

int eraAt(icu::Calendar& cal, const QDate& d)
{
    UErrorCode st = U_ZERO_ERROR;
    cal.setTime(toUDate(d), st);
    const int era = cal.get(UCAL_ERA, st);
    return U_SUCCESS(st) ? era : -1;
}

QList<TEra> build()
{
    QList<TEra> out;
    UErrorCode st = U_ZERO_ERROR;
    const icu::Locale loc("ja_JP@calendar=japanese");
    std::unique_ptr<icu::Calendar> cal(icu::Calendar::createInstance(*icu::TimeZone::getGMT(), loc, st));
    if (U_FAILURE(st) || !cal)
        return out;
    icu::DateFormatSymbols symbols(loc, "japanese", st);
    if (U_FAILURE(st))
        return out;
    int32_t nameCount = 0;
    const icu::UnicodeString* names = symbols.getEras(nameCount);

    const int first = eraAt(*cal, kFirstDate);
    const int last = cal->getMaximum(UCAL_ERA);
    if (first < 0)
        return out;
    for (int era = first; era <= last && era < nameCount; ++era) {
        // The Gregorian year of the era's year 1.
        cal->clear();
        cal->set(UCAL_ERA, era);
        cal->set(UCAL_YEAR, 1);
        cal->set(UCAL_MONTH, UCAL_JANUARY);
        cal->set(UCAL_DATE, 1);
        st = U_ZERO_ERROR;
        const int year = cal->get(UCAL_EXTENDED_YEAR, st);
        if (U_FAILURE(st))
            break;
        // The era's first day: the first day of that year on which it is in force.
        QDate lo(year, 1, 1);
        QDate hi(year, 12, 31);
        if (eraAt(*cal, hi) != era)
            break;
        if (eraAt(*cal, lo) == era) {
            hi = lo;
        } else {
            while (lo.daysTo(hi) > 1) {
                const QDate mid = lo.addDays(lo.daysTo(hi) / 2);
                if (eraAt(*cal, mid) == era)
                    hi = mid;
                else
                    lo = mid;
            }
        }
        out.append(TEra{toQString(names[era]), year, hi});
    }
    return out;
}

} // namespace

const QList<TEra>& eras()
{
    static const QList<TEra> table = build();
    return table;
}

int count() { return static_cast<int>(eras().size()); }

QString name(int index)
{
    return index >= 1 && index <= count() ? eras().at(index - 1).name : QString();
}

int firstYear(int index)
{
    return index >= 1 && index <= count() ? eras().at(index - 1).firstYear : 0;
}

int indexOf(const QString& n)
{
    const auto& t = eras();
    for (int i = 0; i < t.size(); ++i)
        if (t.at(i).name == n)
            return i + 1;
    return 0;
}

bool eraOf(const QDate& date, int* index, int* yearInEra)
{
    int idx = 0;
    int year = 0;
    if (date.isValid()) {
        const auto& t = eras();
        for (int i = static_cast<int>(t.size()) - 1; i >= 0; --i) {
            if (t.at(i).firstDate <= date) {
                idx = i + 1;
                year = date.year() - t.at(i).firstYear + 1;
                break;
            }
        }
    }
    if (index)
        *index = idx;
    if (yearInEra)
        *yearInEra = year;
    return idx > 0;
}

} // namespace japaneseEra
