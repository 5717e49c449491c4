#pragma once
// Texts measured and cut in the Japanese ANSI code page (windows-31j, the
// Shift-JIS of Windows), as the fixed-size print and export buffers hold them.

#include <QString>

namespace sjis {

// Bytes the text takes in windows-31j; a character the code page lacks
// counts as its one-byte substitute.
int byteLength(const QString& text);

// The longest leading part of the text that fits into maxBytes bytes of
// windows-31j; a double-byte character is never split, and neither is a
// surrogate pair. maxBytes 0 or less gives an empty text.
QString cutToBytes(const QString& text, int maxBytes);

} // namespace sjis
