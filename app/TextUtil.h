#pragma once
// Text helpers the forms share: trimming as the entry fields have always
// done it, and the text of a memo with its line breaks normalised.

#include <QString>

namespace textutil {

// Blanks are the space and the control characters (U+0000..U+0020); a
// full-width space or a no-break space is text like any other.
// Leading blanks removed, trailing ones kept.
QString trimLeft(const QString& s);
// Blanks removed at both ends.
QString trimBoth(const QString& s);

// The text as a literal part of a pattern for `LIKE :X ESCAPE '\'`: its
// own %, _ and \ stand for themselves.
QString likeLiteral(const QString& text);

// A memo document's raw text (QTextDocument::toRawText()) with every line
// break as LF: the line separator of Shift+Enter, the paragraph separator
// between blocks and the frame markers. No-break spaces stay as typed,
// which toPlainText() would turn into plain ones.
QString memoText(const QString& rawText);
// Text with LF line breaks as the database and the checks see it: CR LF.
QString windowsLines(const QString& lfText);
// The pattern for `"COL" LIKE :X ESCAPE '\'`: the text between two
// wildcards, its own %, _ and \ standing for themselves.
QString likeContains(const QString& text);

} // namespace textutil
