#pragma once
// Text fields whose length limit is for typing only: a value read from the
// database (or taken from a master) that is longer is shown and kept whole,
// so that opening and saving a record never cuts what was stored.

class QLineEdit;
class QString;

namespace fieldText {

// The number of characters a user may type into the field.
void setTypingLimit(QLineEdit* edit, int limit);
// Shows a stored value whole, however long; the typing limit stays for
// values of the usual length.
void showStored(QLineEdit* edit, const QString& text);

} // namespace fieldText
