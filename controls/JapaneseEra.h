#pragma once
// The Japanese era table (元号) of the date edit, taken from ICU's
// Japanese calendar: every era from the one in force on the first date the
// date edit handles (1873-01-01, 明治) up to the newest era ICU knows, oldest
// first. Built once per process on first use; an era that a later ICU adds
// appears here without a code change.

#include <QDate>
#include <QList>
#include <QString>

namespace japaneseEra {

struct TEra {
    QString name;   // "明治", "大正", "昭和", "平成", "令和", …
    int firstYear;  // Gregorian year in which the era began
    QDate firstDate; // first day of the era (proleptic Gregorian)
};

// The table, oldest era first.
const QList<TEra>& eras();

// Number of eras in the table.
int count();

// Era name and first Gregorian year by index counted from 1 (as the era box
// lists them after "西暦"); empty / 0 outside 1..count().
QString name(int index);
int firstYear(int index);

// Index (from 1) of an era name; 0 when the name is no era of the table.
int indexOf(const QString& name);

// The era (index from 1) in force on a date and the year within it; false
// (and 0, 0) for an invalid date or one before the first era of the table.
bool eraOf(const QDate& date, int* index, int* yearInEra);

} // namespace japaneseEra
