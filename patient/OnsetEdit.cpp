#include "patient/OnsetEdit.h"

#include "controls/NumberEdit.h"
#include "controls/Widgets.h"
#include "db/Records.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QHBoxLayout>
#include <QLabel>

#include <algorithm>

namespace {
QComboBox* partCombo(QWidget* parent, const QString& name, int last)
{
    auto* c = new QComboBox(parent);
    c->setObjectName(name);
    c->addItem(QStringLiteral("頃"));
    for (int n = 1; n <= last; ++n)
        c->addItem(QString::number(n));
    return c;
}

const QLatin1String kUnknown("00000000");
} // namespace

TOnsetEdit::TOnsetEdit(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("TOnsetEdit"));
    nedtHY = new TNumberEdit(this);
    nedtHY->setObjectName(QStringLiteral("nedtHY"));
    nedtHY->setFigure(0);
    nedtHY->setFixed(true);
    nedtHY->setMaxIntLength(4);
    nedtHY->setDecimalMin(TDecimal::fromInt64(0));
    nedtHY->setDecimalMax(TDecimal::fromInt64(9999));
    nedtHY->setLimit(true);
    nedtHY->setZeroVisible(false);
    nedtHY->setFixedWidth(56);
    nedtHY->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    nedtHY->setAttribute(Qt::WA_InputMethodEnabled, false);
    cmbHM = partCombo(this, QStringLiteral("cmbHM"), 12);
    cmbHD = partCombo(this, QStringLiteral("cmbHD"), 31);
    lblHM = widgets::label(this, QStringLiteral("月"), QStringLiteral("lblHM"));
    lblHD = widgets::label(this, QStringLiteral("日"), QStringLiteral("lblHD"));
    cbHJIKIH = new QCheckBox(QStringLiteral("発生時期不詳の場合はチェック"), this);
    cbHJIKIH->setObjectName(QStringLiteral("cbHJIKIH"));

    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(nedtHY);
    row->addWidget(widgets::label(this, QStringLiteral("年")));
    row->addWidget(cmbHM);
    row->addWidget(lblHM);
    row->addWidget(cmbHD);
    row->addWidget(lblHD);
    row->addSpacing(16);
    row->addWidget(cbHJIKIH);
    row->addStretch();

    connect(cmbHM, &QComboBox::currentIndexChanged, this, &TOnsetEdit::updateVisibility);
    connect(cmbHD, &QComboBox::currentIndexChanged, this, &TOnsetEdit::updateVisibility);
    connect(cbHJIKIH, &QCheckBox::toggled, this, [this](bool unknown) {
        for (QWidget* w : std::initializer_list<QWidget*>{nedtHY, cmbHM, cmbHD})
            w->setEnabled(!unknown);
    });
    clear();
}

void TOnsetEdit::updateVisibility()
{
    const bool monthKnown = cmbHM->currentIndex() != 0;
    cmbHD->setVisible(monthKnown);
    lblHM->setVisible(monthKnown);
    lblHD->setVisible(monthKnown && cmbHD->currentIndex() != 0);
}

QString TOnsetEdit::code() const
{
    // An unselected month or day is unknown; a day under an unknown month
    // is dropped by the code itself.
    return rec::hjikiBuild(cbHJIKIH->isChecked(), nedtHY->asInteger(), std::max(cmbHM->currentIndex(), 0),
                           std::max(cmbHD->currentIndex(), 0));
}

void TOnsetEdit::clear()
{
    nedtHY->setAsInteger(0);
    cmbHM->setCurrentIndex(-1);
    cmbHD->setCurrentIndex(-1);
    cbHJIKIH->setChecked(false);
    updateVisibility();
}

void TOnsetEdit::load(const QString& code)
{
    cbHJIKIH->setChecked(code == kUnknown);
    if (code.isEmpty() || code == kUnknown) {
        nedtHY->setAsInteger(0);
        cmbHM->setCurrentIndex(-1);
        cmbHD->setCurrentIndex(-1);
    } else {
        nedtHY->setAsInteger(code.left(4).toInt());
        cmbHM->setCurrentIndex(std::clamp(code.mid(4, 2).toInt(), 0, 12));
        cmbHD->setCurrentIndex(std::clamp(code.mid(6, 2).toInt(), 0, 31));
    }
    updateVisibility();
}

std::optional<TOnsetEdit::TProblem> TOnsetEdit::problem() const
{
    if (cbHJIKIH->isChecked())
        return std::nullopt;
    const int y = nedtHY->asInteger();
    const int m = cmbHM->currentIndex();
    const int d = cmbHD->currentIndex();
    if (y < 1900)
        return TProblem{QStringLiteral("発生時期（年）は西暦で正しく入力してください。"), nedtHY};
    if (m < 0)
        return TProblem{QStringLiteral("発生時期（月）を選択してください。"), cmbHM};
    if (m > 0 && d < 0)
        return TProblem{QStringLiteral("発生時期（日）を選択してください。"), cmbHD};
    if (!QDate(y, m > 0 ? m : 1, m > 0 && d > 0 ? d : 1).isValid())
        return TProblem{QStringLiteral("発生時期が正しい日付ではありません。"), nedtHY};
    return std::nullopt;
}

bool TOnsetEdit::isAfter(const QDate& end) const
{
    const QString onset = code();
    return onset != kUnknown && rec::yyyymmdd(end).toInt() < onset.toInt();
}
