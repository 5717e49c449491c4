#pragma once
// Reading patients from a CSV file of another system: the file's lines, the
// split of one line into fields, the check of every line against the
// patient master's limits and the storing of the lines that passed.

#include "db/KanjaRecord.h"

#include <QString>
#include <QStringList>

#include <array>
#include <functional>
#include <vector>

class TConnection;

namespace kanjacsv {

// The patient fields a column can be mapped to, in the order of the
// mapping lists: number, kana, name, sex, birth date, postcode, address 1
// and 2, telephone, mobile, fax, e-mail, remarks.
inline constexpr int kFieldCount = 13;
// Column of each field, 1-based; 0 = not mapped.
using TMapping = std::array<int, kFieldCount>;

inline constexpr qint64 kMaxPatientId = 9999999999LL;

// The lines of the file's bytes: windows-31j, or UTF-8 when the bytes are
// not windows-31j but are UTF-8 (or start with its byte-order mark). Lines
// end at CR LF, LF or CR; a break at the very end adds no line. NUL bytes
// are left out.
QStringList decodeLines(const QByteArray& bytes);
// The lines of the file; EKlovError when it cannot be read.
QStringList readLines(const QString& path);

// The fields of one line. Control characters (codes 0 to 31) before and
// after a field are skipped; a field that starts with a double quote runs to
// its closing quote, a doubled quote inside standing for one; any other
// field runs to the next comma or control character, blanks included. The
// line is read with ",999" appended, so that a trailing comma gives a
// trailing empty field; that appended field is not returned.
QStringList splitLine(const QString& line);

struct TImpRecord {
    int line = 0;     // number among the data lines, from 1
    qint64 id = 0;
    TrecKanja row;    // trimmed values; unmapped fields empty
};

// Checks every data line (the first one skipped when it is a header); each
// rejected line adds one text to `log` and is left out.
std::vector<TImpRecord> validate(const QStringList& lines, const TMapping& map, bool header, QStringList& log,
                                 const std::function<void(int)>& progress = {});

struct TStoreCount {
    int inserted = 0;   // revisions written
    int skipped = 0;    // existing patients left as they were
};

// Writes the records inside the open transaction: a new patient gets its
// first revision; an existing one is skipped unless `update` is set and a
// field differs, when its current revision is retired and a new one
// inserted. KLOV.M_KANJA is locked against other writers from the first
// record to the end of the transaction (numbers::TKanjaRnoLock), one lock
// however long the file. EConflictError when another workstation changed a
// patient meanwhile.
TStoreCount store(TConnection& conn, const std::vector<TImpRecord>& records, bool update, const QString& userId,
                  const std::function<void(int)>& progress = {});

} // namespace kanjacsv
