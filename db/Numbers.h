#pragma once
// Every new number of the system comes from here: the highest number of its
// scope plus one (1 for the first), read inside the writing transaction
// while the scope is locked against other writers, so two workstations
// saving at one moment get distinct numbers and a failed save uses none.
// Each call throws ETransactionError outside a transaction.

#include <QString>

#include <vector>

class TConnection;

namespace numbers {

int nextKno(TConnection& conn);                                   // D_TAIYOU.KNO
int nextVerno(TConnection& conn, int kno);                        // D_TAIYOU.VERNO
int nextTaiopeRno(TConnection& conn, int kno, int verno, int ono); // D_TAIOPE.RNO, deleted rows counted
int nextKanjaRno(TConnection& conn, qint64 id);                   // M_KANJA.RNO, see TKanjaRnoLock
int nextKanbyoBno(TConnection& conn, qint64 id);                  // D_KANBYO.BNO
int nextKanbyoRno(TConnection& conn, qint64 id, int bno);         // D_KANBYO.RNO
int nextKanopeOno(TConnection& conn, qint64 id);                  // D_KANOPE.ONO
int nextKanopeRno(TConnection& conn, qint64 id, int ono);         // D_KANOPE.RNO
int nextAllergyRno(TConnection& conn, qint64 id);                 // M_ALLERGY.RNO
int nextDeviceRno(TConnection& conn, qint64 id);                  // M_DEVICE.RNO
int nextMessno(TConnection& conn);                                // D_MESS.MESSNO
int nextTemplateNo(TConnection& conn, const QString& userId);     // M_MYTEMPLE.MTNO

// Revision numbers of many patients written in one transaction (the
// patient import). Taking it locks KLOV.M_KANJA against every other writer
// until the transaction ends, one lock however many patients follow (a lock
// per patient would fill the server's lock table); readers go on. Under it
// next() numbers a list of distinct patients in one statement, each as
// nextKanjaRno would. Every other writer of the table, and nextKanjaRno
// before it reads, waits for the lock: a patient saved elsewhere at the same
// moment is written before the whole import or after it.
class TKanjaRnoLock {
public:
    explicit TKanjaRnoLock(TConnection& conn);
    // The next number of each patient, in the order of `ids`.
    std::vector<int> next(const std::vector<qint64>& ids) const;

private:
    TConnection& FConn;
};

// The lock scope of one summary version: every writer of the version, its
// stages and its diagnosis and operation lists holds it while it writes.
QString versionScope(int kno, int verno);

} // namespace numbers
