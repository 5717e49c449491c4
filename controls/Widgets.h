#pragma once
// The small widgets every form builds the same way: captions, read-only
// value panels, command buttons, drop-down lists and date pickers. One place
// decides how they look, so the forms stay alike.

#include <QDate>
#include <QString>

class QComboBox;
class QDateEdit;
class QLabel;
class QPushButton;
class QWidget;
class TNumberEdit;
class TQuery;

namespace widgets {

// A plain label; the name is optional.
QLabel* label(QWidget* parent, const QString& text, const QString& name = {});
// A form's title line inside its body: bold, 14 pixels.
QLabel* heading(QWidget* parent, const QString& text, const QString& name);
// A field caption, right-aligned in front of its field.
QLabel* caption(QWidget* parent, const QString& text);
// A read-only value in a sunken white panel; its text can be selected and copied.
QLabel* valueLabel(QWidget* parent, const QString& name, int minWidth);
// A command button that never becomes the dialog's default on focus.
QPushButton* button(QWidget* parent, const QString& name, const QString& text, const QString& hint = {});
QComboBox* combo(QWidget* parent, const QString& name, int minWidth);
// Appends the departments (M_KA) in code order to the list: the name as the
// text, the code as the item's data; with shownOnly those not hidden from
// selection lists. Runs on `q`, which it leaves closed.
void addDepartments(QComboBox* combo, TQuery& q, bool shownOnly);

// A whole-number field from 0 to `max` (as many digits as `max` has): typed
// without the input method, right-aligned, empty for 0.
TNumberEdit* wholeNumberEdit(QWidget* parent, const QString& name, qint64 max, int width);

// A field for Japanese text, typed through the input method in hiragana:
// the input method is switched on for it and the characters are not held
// to Latin letters or digits. Qt has no call that picks the conversion
// mode itself, so the field also carries its mode by name, where
// isHiraganaInput reads it.
void hiraganaInput(QWidget* field);
bool isHiraganaInput(const QWidget* field);

enum class TDateStyle {
    Slash,  // "2024/04/01", fixed width: the patient record forms
    Kanji,  // "2024年4月1日": the main window and the summary editor
};
// A date picker with its calendar popup, from 1900-01-01 on.
QDateEdit* datePicker(QWidget* parent, const QString& name, TDateStyle style, const QDate& date = {});

} // namespace widgets
