#pragma once
// Every new number of the system comes from here: the highest number of its
// scope plus one (1 for the first), read inside the writing transaction
// while the scope is locked against other writers, so two workstations
// saving at one moment get distinct numbers and a failed save uses none.
// Each call throws ETransactionError outside a transaction.

#include <QString>

class TConnection;

namespace numbers {

int nextKno(TConnection& conn);                                   // D_TAIYOU.KNO
int nextVerno(TConnection& conn, int kno);                        // D_TAIYOU.VERNO
int nextTaiopeRno(TConnection& conn, int kno, int verno, int ono); // D_TAIOPE.RNO, deleted rows counted
int nextKanjaRno(TConnection& conn, qint64 id);                   // M_KANJA.RNO
int nextKanbyoBno(TConnection& conn, qint64 id);                  // D_KANBYO.BNO
int nextKanbyoRno(TConnection& conn, qint64 id, int bno);         // D_KANBYO.RNO
int nextKanopeOno(TConnection& conn, qint64 id);                  // D_KANOPE.ONO
int nextKanopeRno(TConnection& conn, qint64 id, int ono);         // D_KANOPE.RNO
int nextAllergyRno(TConnection& conn, qint64 id);                 // M_ALLERGY.RNO
int nextDeviceRno(TConnection& conn, qint64 id);                  // M_DEVICE.RNO
int nextMessno(TConnection& conn);                                // D_MESS.MESSNO
int nextTemplateNo(TConnection& conn, const QString& userId);     // M_MYTEMPLE.MTNO

// The lock scope of one summary version: every writer of the version, its
// stages and its diagnosis and operation lists holds it while it writes.
QString versionScope(int kno, int verno);

} // namespace numbers
