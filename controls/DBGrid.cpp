#include "controls/DBGrid.h"

#include "db/Query.h"

#include <QHeaderView>
#include <QPainter>
#include <QResizeEvent>

// ---------------------------------------------------------------- model

void TQueryModel::setQuery(TQuery* q)
{
    if (FQuery)
        disconnect(FQuery, nullptr, this, nullptr);
    FQuery = q;
    if (FQuery)
        connect(FQuery, &TQuery::dataReset, this, &TQueryModel::reset);
    reset();
}

void TQueryModel::setColumns(const QList<TGridColumn>& columns)
{
    beginResetModel();
    FColumns = columns;
    endResetModel();
    reset();
}

void TQueryModel::reset()
{
    beginResetModel();
    FFieldIndex.clear();
    const TResultSet* rs = FQuery ? FQuery->resultSet() : nullptr;
    for (const auto& c : FColumns)
        FFieldIndex << (rs ? rs->columnIndex(c.field) : -1);
    endResetModel();
}

int TQueryModel::rowCount(const QModelIndex& parent) const
{
    if (parent.isValid() || !FQuery || !FQuery->active())
        return 0;
    return FQuery->recordCount();
}

int TQueryModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(FColumns.size());
}

QString TQueryModel::text(int row, int column) const
{
    const int col = FFieldIndex.value(column, -1);
    if (col < 0 || !FQuery || row < 0 || row >= FQuery->recordCount())
        return {};
    const TResultSet* rs = FQuery->resultSet();
    const int raw = FQuery->rawRow(row);
    if (FColumns[column].format)
        return FColumns[column].format(TField(rs, raw, col));
    return rs->text(raw, col);
}

QVariant TQueryModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return text(index.row(), index.column());
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(FColumns[index.column()].align | Qt::AlignVCenter);
    default:
        return {};
    }
}

QVariant TQueryModel::headerData(int section, Qt::Orientation o, int role) const
{
    if (o == Qt::Horizontal && role == Qt::DisplayRole && section < FColumns.size())
        return FColumns[section].title;
    return {};
}

// ---------------------------------------------------------------- cells

namespace {
// Paints each cell in the colours of its row.
class TRowDelegate : public QStyledItemDelegate {
public:
    explicit TRowDelegate(TDBGrid* grid) : QStyledItemDelegate(grid), FGrid(grid) {}
    void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const TRowColors c = FGrid->rowColors(index.row());
        const bool selected = option.state & QStyle::State_Selected;
        p->save();
        p->fillRect(option.rect, selected ? c.selectedBackground : c.background);
        p->setPen(selected ? c.selectedText : c.text);
        p->setFont(option.font);
        const QRect r = option.rect.adjusted(2, 0, -2, 0);
        const auto align = Qt::Alignment(index.data(Qt::TextAlignmentRole).toInt());
        p->setClipRect(option.rect);
        p->drawText(r, int(align | Qt::TextSingleLine), index.data(Qt::DisplayRole).toString());
        p->restore();
    }

private:
    TDBGrid* FGrid;
};
} // namespace

// ---------------------------------------------------------------- grid

TDBGrid::TDBGrid(QWidget* parent) : QTableView(parent), FModel(new TQueryModel(this))
{
    setModel(FModel);
    setItemDelegate(new TRowDelegate(this));
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setWordWrap(false);
    setTabKeyNavigation(false);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    horizontalHeader()->setSectionsClickable(true);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setStretchLastSection(false);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    connect(horizontalHeader(), &QHeaderView::sectionClicked, this, &TDBGrid::titleClick);
    connect(this, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex& i) {
        if (i.isValid())
            Q_EMIT recordDoubleClicked();
    });
    connect(FModel, &QAbstractItemModel::modelReset, this, [this] {
        applyWidths();
        syncFromQuery();
    });
}

void TDBGrid::setQuery(TQuery* q)
{
    if (FModel->query())
        disconnect(FModel->query(), nullptr, this, nullptr);
    FModel->setQuery(q);
    if (q)
        connect(q, &TQuery::recordChanged, this, &TDBGrid::syncFromQuery);
    syncFromQuery();
}

void TDBGrid::setColumns(const QList<TGridColumn>& columns, int margin)
{
    FMargin = margin;
    FModel->setColumns(columns);
    applyWidths();
}

void TDBGrid::applyWidths()
{
    const auto& cols = FModel->columns();
    const int total = viewport()->width() > 0 ? width() - FMargin : 0;
    int used = 0, restAt = -1;
    QList<int> widths;
    for (int i = 0; i < cols.size(); ++i) {
        int w = cols[i].width;
        if (cols[i].kind == TGridColumn::TWidth::Percent)
            w = total * cols[i].width / 100;
        else if (cols[i].kind == TGridColumn::TWidth::Rest)
            restAt = i;
        widths << w;
        if (cols[i].kind != TGridColumn::TWidth::Rest)
            used += w;
    }
    if (restAt >= 0)
        widths[restAt] = std::max(cols[restAt].width, total - used);
    for (int i = 0; i < widths.size(); ++i)
        setColumnWidth(i, std::max(widths[i], 0));
}

void TDBGrid::resizeEvent(QResizeEvent* e)
{
    QTableView::resizeEvent(e);
    applyWidths();
}

int TDBGrid::currentRecord() const
{
    TQuery* q = query();
    return q && q->active() ? q->recNo() : -1;
}

void TDBGrid::titleClick(int column)
{
    TQuery* q = query();
    if (!q || !q->active() || q->isEmpty() || column < 0 || column >= FModel->columns().size())
        return;
    const QString field = FModel->columns()[column].field;
    if (field != FOldField) {
        FOldField = field;
        FSortAsc = true;
    } else {
        FSortAsc = !FSortAsc;
    }
    q->setSort(FSortAsc ? field : field + QStringLiteral(" DESC"));
}

void TDBGrid::resetSort()
{
    FOldField.clear();
    FSortAsc = true;
}

void TDBGrid::setSortState(const QString& field, bool asc)
{
    FOldField = field;
    FSortAsc = asc;
}

void TDBGrid::reapplySort(bool firstTitleWhenNone)
{
    TQuery* q = query();
    if (!q || !q->active() || q->isEmpty())
        return;
    if (FOldField.isEmpty()) {
        if (firstTitleWhenNone)
            titleClick(0);
    } else {
        q->setSort(FSortAsc ? FOldField : FOldField + QStringLiteral(" DESC"));
    }
}

TRowColors TDBGrid::rowColors(int recNo) const
{
    TRowColors c;
    if (FRowColors && query() && recNo >= 0 && recNo < query()->recordCount())
        FRowColors(*query(), recNo, c);
    return c;
}

bool TDBGrid::locate(const QString& field, const QVariant& value)
{
    TQuery* q = query();
    if (!q || !q->active())
        return false;
    const bool found = q->locate(field, value);
    syncFromQuery();
    return found;
}

void TDBGrid::syncFromQuery()
{
    TQuery* q = query();
    if (FSyncing || !q)
        return;
    FSyncing = true;
    const int rec = q->active() ? q->recNo() : -1;
    if (rec >= 0 && rec < FModel->rowCount()) {
        const QModelIndex idx = FModel->index(rec, std::max(currentIndex().column(), 0));
        setCurrentIndex(idx);
        scrollTo(idx);
    } else {
        clearSelection();
    }
    FSyncing = false;
}

void TDBGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous)
{
    QTableView::currentChanged(current, previous);
    TQuery* q = query();
    if (!current.isValid() || !q)
        return;
    if (!FSyncing && current.row() != q->recNo()) {
        FSyncing = true;
        q->setRecNo(current.row());
        FSyncing = false;
    }
    if (current.row() != previous.row())
        Q_EMIT currentRecordChanged(current.row());
}
