#include "patient/SearchDialog.h"

#include "app/Globals.h"
#include "app/FrmOBaseU.h"
#include "app/MsgBox.h"
#include "app/Theme.h"
#include "app/UntDM.h"
#include "app/WaitCursor.h"
#include "controls/DBGrid.h"
#include "db/Errors.h"
#include "db/Query.h"

#include <QApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace srcmatch {
bool contains(const QString& value, const QString& criterion)
{
    return criterion.isEmpty() || value.contains(criterion, Qt::CaseInsensitive);
}

bool startsWith(const QString& value, const QString& criterion)
{
    return criterion.isEmpty() || value.startsWith(criterion, Qt::CaseInsensitive);
}
} // namespace srcmatch

TFrmSearchBase::TFrmSearchBase(QWidget* parent) : QDialog(parent)
{
    theme::setBackground(this, theme::kCream);
    QFont f(theme::kGothic);
    f.setPixelSize(12);
    setFont(f);
    setStyleSheet(theme::focusEditStyle());
    ADOQ = new TQuery(&dm().ADOCPOST, this);
    ADOQ->setObjectName(QStringLiteral("ADOQ"));

    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(10, 10, 10, 10);
    FTop = new QHBoxLayout;
    FCriteria = new QGridLayout;
    FCriteria->setHorizontalSpacing(8);
    FTop->addLayout(FCriteria);
    FTop->addStretch(1);
    bbtnSrc = new QPushButton(QStringLiteral(" 絞込"), this);
    bbtnSrc->setObjectName(QStringLiteral("bbtnSrc"));
    FTop->addWidget(bbtnSrc, 0, Qt::AlignBottom);
    root->addLayout(FTop);

    dbgMei = new TDBGrid(this);
    dbgMei->setObjectName(QStringLiteral("dbgMei"));
    dbgMei->setQuery(ADOQ);
    root->addWidget(dbgMei, 1);

    bbtnOk = new QPushButton(QStringLiteral(" 選 択"), this);
    bbtnOk->setObjectName(QStringLiteral("bbtnOk"));
    bbtnOk->setEnabled(false);
    bbtnCancel = new QPushButton(QStringLiteral("キャンセル"), this);
    bbtnCancel->setObjectName(QStringLiteral("bbtnCancel"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    for (QPushButton* p : {bbtnSrc, bbtnOk, bbtnCancel}) {
        p->setAutoDefault(false);
        p->setMinimumSize(96, 30);
    }
    buttons->addWidget(bbtnOk);
    buttons->addWidget(bbtnCancel);
    root->addLayout(buttons);

    connect(bbtnSrc, &QPushButton::clicked, this, &TFrmSearchBase::bbtnSrcClick);
    connect(bbtnOk, &QPushButton::clicked, this, &TFrmSearchBase::bbtnOkClick);
    connect(bbtnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(dbgMei, &TDBGrid::recordDoubleClicked, this, &TFrmSearchBase::bbtnOkClick);
    qApp->installEventFilter(this);
    resize(820, 520);
}

TFrmSearchBase::~TFrmSearchBase() { qApp->removeEventFilter(this); }

QLineEdit* TFrmSearchBase::addCriterion(int row, const QString& caption, const QString& name, int maxLength)
{
    auto* l = new QLabel(caption, this);
    l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    auto* e = new QLineEdit(this);
    e->setObjectName(name);
    e->setMaxLength(maxLength);
    e->setMinimumWidth(260);
    FCriteria->addWidget(l, row, 0);
    FCriteria->addWidget(e, row, 1);
    return e;
}

void TFrmSearchBase::placeSearchButton(int row, int column, Qt::Alignment alignment)
{
    FTop->removeWidget(bbtnSrc);
    delete FTop->takeAt(1);   // the stretch between the criteria and the button
    FCriteria->addWidget(bbtnSrc, row, column, alignment);
}

void TFrmSearchBase::setColumns(const QList<TGridColumn>& columns, int margin)
{
    dbgMei->setColumns(columns, margin);
}

bool TFrmSearchBase::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && watched->isWidgetType()
        && static_cast<QWidget*>(watched)->window() == this) {
        auto* key = static_cast<QKeyEvent*>(event);
        const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
        // Enter on the list chooses its row; elsewhere it moves to the next control.
        if (enter && focusWidget() == dbgMei) {
            bbtnOkClick();
            return true;
        }
        if (handleEnterKey(this, event))
            return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TFrmSearchBase::bbtnSrcClick()
{
    try {
        TWaitCursor wait;
        search(*ADOQ);
    } catch (const std::exception& e) {
        ADOQ->close();
        bbtnOk->setEnabled(false);
        msg::warning(this, errorWarningText(e));
        return;
    }
    setFirstSort();
    // A new search keeps the order chosen by the column titles.
    const QString field = dbgMei->sortField();
    if (!field.isEmpty())
        ADOQ->setSort(dbgMei->sortAsc() ? field : field + QStringLiteral(" DESC"));
    ADOQ->first();
    bbtnOk->setEnabled(!ADOQ->isEmpty());
    dbgMei->setFocus();
}

void TFrmSearchBase::setFirstSort()
{
    if (FSearched)
        return;
    FSearched = true;
    dbgMei->setSortState(firstSortField(), true);
}

void TFrmSearchBase::bbtnOkClick()
{
    if (!ADOQ->active() || ADOQ->isEmpty() || ADOQ->recNo() < 0)
        return;
    takeRow(*ADOQ);
    accept();
}
