#pragma once
// Dates written with the Japanese era: "昭和50年4月1日" and the forms built on it.

#include <QDate>
#include <QString>

namespace eraText {
// Era name and year in the era ("昭和50"); empty for a date before the first era.
QString eraYear(const QDate& d);
// gge"年"m"月"d"日": "昭和50年4月1日"; empty for an invalid or pre-era date.
QString eraDate(const QDate& d);
// yyyy/m/d" ("gge"年"m"月"d"日)": "1975/4/1 (昭和50年4月1日)"; empty for no date.
QString birthText(const QDate& d);
} // namespace eraText
