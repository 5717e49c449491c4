#pragma once
// A date picker with a check box in front: unchecked means "no date". The
// picker is enabled only while the box is ticked.

#include "controls/Widgets.h"

#include <QWidget>

class QCheckBox;
class QDateEdit;

class TCheckDateEdit : public QWidget {
public:
    // The check box and the picker carry names of their own, as the form names them.
    TCheckDateEdit(QWidget* parent, const QString& checkName, const QString& dateName,
                   widgets::TDateStyle style);
    bool checked() const;
    void setChecked(bool on);
    QDate date() const;
    void setDate(const QDate& d);
    // The date when ticked, else an invalid date.
    QDate value() const;
    QCheckBox* checkBox() const { return FCheck; }
    QDateEdit* dateEdit() const { return FDate; }

private:
    QCheckBox* FCheck;
    QDateEdit* FDate;
};
