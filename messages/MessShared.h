#pragma once
// What the three message forms share: the key that finds a message row
// again after the list is re-read, and the job-type text.

#include <QString>

namespace mess {

// SKEY of a row: the number as six digits and the trimmed recipient ID.
QString rowKey(int messno, const QString& ruserId);

// "医師", "ＤＣ", or "その他" for any other job type.
QString jobTypeText(int jobType);

} // namespace mess
