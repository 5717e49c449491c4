#pragma once
// What the three message forms share: the contains match of a typed search
// text and the key that finds a message row again after the list is re-read.

#include <QString>

namespace mess {

// The pattern for `"COL" LIKE :X ESCAPE '\'`: the text between two
// wildcards, its own %, _ and \ standing for themselves.
QString likeContains(const QString& text);

// SKEY of a row: the number as six digits and the trimmed recipient ID.
QString rowKey(int messno, const QString& ruserId);

// "医師", "ＤＣ", or "その他" for any other job type.
QString jobTypeText(int jobType);

} // namespace mess
