#include "controls/Widgets.h"

#include "app/Theme.h"
#include "controls/NumberEdit.h"
#include "db/Query.h"

#include <QComboBox>
#include <QDateEdit>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QVariant>

namespace widgets {

QLabel* label(QWidget* parent, const QString& text, const QString& name)
{
    auto* l = new QLabel(text, parent);
    if (!name.isEmpty())
        l->setObjectName(name);
    return l;
}

QLabel* heading(QWidget* parent, const QString& text, const QString& name)
{
    QLabel* l = label(parent, text, name);
    QFont f = l->font();
    f.setBold(true);
    f.setPixelSize(14);
    l->setFont(f);
    return l;
}

QLabel* caption(QWidget* parent, const QString& text)
{
    auto* l = new QLabel(text, parent);
    l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return l;
}

QLabel* valueLabel(QWidget* parent, const QString& name, int minWidth)
{
    auto* l = new QLabel(parent);
    l->setObjectName(name);
    l->setFrameShape(QFrame::Panel);
    l->setFrameShadow(QFrame::Sunken);
    theme::setBackground(l, Qt::white);
    l->setMinimumWidth(minWidth);
    l->setMinimumHeight(20);
    l->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return l;
}

QPushButton* button(QWidget* parent, const QString& name, const QString& text, const QString& hint)
{
    auto* b = new QPushButton(text, parent);
    b->setObjectName(name);
    if (!hint.isEmpty()) {
        b->setToolTip(hint);
        b->setStatusTip(hint);
    }
    b->setAutoDefault(false);
    return b;
}

QComboBox* combo(QWidget* parent, const QString& name, int minWidth)
{
    auto* c = new QComboBox(parent);
    c->setObjectName(name);
    c->setMinimumWidth(minWidth);
    c->setMaxVisibleItems(20);
    return c;
}

void addDepartments(QComboBox* combo, TQuery& q, bool shownOnly)
{
    q.setSql(shownOnly ? QStringLiteral(R"(SELECT * FROM "KLOV"."M_KA" WHERE "DSPKBN" = 0 ORDER BY "KACD")")
                       : QStringLiteral(R"(SELECT * FROM "KLOV"."M_KA" ORDER BY "KACD")"));
    for (q.open(); !q.eof(); q.next())
        combo->addItem(q.field(QStringLiteral("KANM")).asString(), q.field(QStringLiteral("KACD")).asInteger());
    q.close();
}

TNumberEdit* wholeNumberEdit(QWidget* parent, const QString& name, qint64 max, int width)
{
    auto* e = new TNumberEdit(parent);
    e->setObjectName(name);
    e->setFigure(0);
    e->setFixed(true);
    e->setMaxIntLength(int(QString::number(max).size()));
    e->setDecimalMin(TDecimal::fromInt64(0));
    e->setDecimalMax(TDecimal::fromInt64(max));
    e->setLimitOptions(TLimitOptions(loMax) | loMin);
    e->setLimit(true);
    e->setZeroVisible(false);
    e->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    e->setFixedWidth(width);
    e->setAttribute(Qt::WA_InputMethodEnabled, false);
    return e;
}

namespace {
const char* const kInputMode = "klovInputMode";
const QString kHiragana = QStringLiteral("hiragana");
} // namespace

void hiraganaInput(QWidget* field)
{
    field->setAttribute(Qt::WA_InputMethodEnabled, true);
    field->setInputMethodHints(Qt::ImhNone);
    field->setProperty(kInputMode, kHiragana);
}

bool isHiraganaInput(const QWidget* field)
{
    return field->testAttribute(Qt::WA_InputMethodEnabled) && field->inputMethodHints() == Qt::ImhNone
        && field->property(kInputMode).toString() == kHiragana;
}

QDateEdit* datePicker(QWidget* parent, const QString& name, TDateStyle style, const QDate& date)
{
    auto* d = new QDateEdit(parent);
    d->setObjectName(name);
    d->setCalendarPopup(true);
    d->setMinimumDate(QDate(1900, 1, 1));
    if (style == TDateStyle::Slash) {
        d->setDisplayFormat(QStringLiteral("yyyy/MM/dd"));
        d->setFixedWidth(120);
    } else {
        d->setDisplayFormat(QStringLiteral("yyyy年M月d日"));
    }
    if (date.isValid())
        d->setDate(date);
    return d;
}

} // namespace widgets
