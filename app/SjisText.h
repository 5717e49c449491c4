#pragma once
// Texts in the Japanese ANSI code page (windows-31j, the Shift-JIS of
// Windows): the one encoder for the files the program writes and its
// decoder for the files it reads, and the byte
// count and cut of the fixed-size print and export fields, both defined by
// what that encoder writes.

#include <QByteArray>
#include <QString>

namespace sjis {

// The text in windows-31j. A character the code page lacks becomes one "?"
// (a surrogate pair is one character, so one "?"); nothing is dropped.
QByteArray encode(const QString& text);

// The windows-31j bytes as text, the inverse of encode() (the same Windows
// single bytes). `ok`, when given, is false when the bytes are not
// windows-31j: a lone or wrongly trailed lead byte, or a pair the code page
// leaves unassigned; each such byte is read as U+FFFD.
QString decode(const QByteArray& bytes, bool* ok = nullptr);

// Bytes encode() writes for the text.
int byteCount(const QString& text);
inline int byteLength(const QString& text) { return byteCount(text); }

// The longest leading part of the text whose encoding fits into maxBytes
// bytes; a double-byte character is never split, and neither is a surrogate
// pair. maxBytes 0 or less gives an empty text.
QString cutToBytes(const QString& text, int maxBytes);

} // namespace sjis
