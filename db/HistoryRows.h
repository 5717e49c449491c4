#pragma once
// Clinical records kept with history (diseases, operations, allergies,
// devices): a live row is never changed in place, only retired.

#include <QString>

class TConnection;

enum class THistoryTable { Kanbyo, Kanope, Allergy, Device };

// Retires the live row (ID, its record number where the table has one, RNO):
// DELKBN 1 with the server time and the user. The row must still be live;
// EConflictError when another workstation has retired it meanwhile.
// `no` is the BNO or ONO; allergies and devices have none (pass 0).
void retireRow(TConnection& conn, THistoryTable table, qint64 id, int no, int rno, const QString& userId);
