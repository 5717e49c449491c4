#include "controls/CheckDateEdit.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QHBoxLayout>

TCheckDateEdit::TCheckDateEdit(QWidget* parent, const QString& checkName, const QString& dateName,
                               widgets::TDateStyle style)
    : QWidget(parent)
{
    auto* h = new QHBoxLayout(this);
    h->setContentsMargins(0, 0, 0, 0);
    h->setSpacing(2);
    FCheck = new QCheckBox(this);
    FCheck->setObjectName(checkName);
    FDate = widgets::datePicker(this, dateName, style);
    FDate->setEnabled(false);
    h->addWidget(FCheck);
    h->addWidget(FDate, style == widgets::TDateStyle::Slash ? 0 : 1);
    if (style == widgets::TDateStyle::Slash)
        h->addStretch();
    QObject::connect(FCheck, &QCheckBox::toggled, FDate, &QWidget::setEnabled);
}

bool TCheckDateEdit::checked() const { return FCheck->isChecked(); }
void TCheckDateEdit::setChecked(bool on) { FCheck->setChecked(on); }
QDate TCheckDateEdit::date() const { return FDate->date(); }
void TCheckDateEdit::setDate(const QDate& d) { FDate->setDate(d); }
QDate TCheckDateEdit::value() const { return checked() ? date() : QDate(); }
