#pragma once
// Common routines: the per-workstation configuration file klov.ini, the
// server clock, the CSV text cleaners, age, the integer test and the refresh
// of a patient from the sibling clinic system.

#include <QDate>
#include <QDateTime>
#include <QString>

class TQuery;

namespace CommonU {

// Full path of klov.ini in the data folder.
QString iniPath();

// The help file next to the program: KLOV.chm, or on this platform an HTML
// help; "" when there is none.
QString HelpFile();

// Each call opens klov.ini afresh. A read reports false and leaves `value`
// untouched when the file does not exist; otherwise true and the value
// (empty, or 0 for integers, when the key is missing or not a number).
// Why klov.ini, which exists, cannot be used (unreadable, not UTF-8 text);
// empty when it can or when there is none. Writes then leave it alone.
QString IniProblem();
bool ReadIniStr(const QString& section, const QString& key, QString& value);
bool ReadIniInt(const QString& section, const QString& key, int& value);
// Writes create the file (owner-only: it holds passwords) and the folder.
bool WriteIniStr(const QString& section, const QString& key, const QString& value);
bool WriteIniInt(const QString& section, const QString& key, int value);

// The database server's date and time; the workstation clock when the
// server gives no row.
QDateTime GetServerTime();

// CSV cell cleaner: blanks only -> empty; else the ASCII blanks and control
// characters at both ends removed (a full-width or no-break space is kept as
// typed), line breaks and commas each replaced by `replacement`.
QString CsvCellClean(const QString& text, const QString& replacement);
// CSV quote escaper: CR LF -> one blank, each quotation mark doubled.
QString CsvQuoteEscape(const QString& text);

// Completed years at `reference`; -1 when the reference lies before the birth.
int AgeYears(const QDate& reference, const QDate& birth);

// True when the whole text is a 32-bit signed integer (leading blanks and a
// sign allowed); an empty text is not.
bool IsInteger(const QString& text);

// Takes the sibling system's current row of the patient into KLOV.M_KANJA
// when the link is on and the patient differs (or is new here). Errors roll
// back and are swallowed: the caller goes on with what is stored.
void RefreshPatientFromQarn(qint64 id);

} // namespace CommonU
