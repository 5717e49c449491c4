#pragma once
// A patient's data as one revision of KLOV.M_KANJA holds it, and the one
// statement that stores new current revisions.

#include <QDate>
#include <QString>

#include <utility>
#include <vector>

class TConnection;
namespace numbers { class TKanjaRnoLock; }

struct TrecKanja {
    QString kana, name, post, adr1, adr2, tel, keitai, fax, mail, biko;
    int sex = -1;   // 0 male, 1 female; below 0 stored as null
    QDate birth;    // invalid: stored as null
};

// Inserts the next revision of the patient as the current one (ACTKBN 1,
// DELKBN 0), numbered inside the open transaction. Empty texts are stored
// as null, the name always as text. The caller has retired the previous
// current revision; a second current one is refused as a conflict.
void insertKanjaRevision(TConnection& conn, qint64 id, const TrecKanja& row, const QString& userId);
// The same for many distinct patients in one statement, numbered under the
// import's lock of the whole table.
void insertKanjaRevisions(const numbers::TKanjaRnoLock& rnos, TConnection& conn,
                          const std::vector<std::pair<qint64, const TrecKanja*>>& rows, const QString& userId);
