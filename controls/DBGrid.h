#pragma once
// The list grid of every list form: a table view over a fetched query, with
// column definitions, title-click sorting, row colours and relocation.

#include <QAbstractTableModel>
#include <QColor>
#include <QStyledItemDelegate>
#include <QTableView>
#include <functional>

class TQuery;
class TField;

struct TGridColumn {
    enum class TWidth { Fixed, Percent, Rest };
    QString title;
    QString field;
    TWidth kind = TWidth::Fixed;
    int width = 64;        // pixels (Fixed), percent (Percent), minimum (Rest)
    Qt::Alignment align = Qt::AlignLeft;
    // Optional display text of a field (dates in era form and the like).
    std::function<QString(const TField&)> format;

    static TGridColumn fixed(const QString& title, const QString& field, int px,
                             Qt::Alignment a = Qt::AlignLeft)
    {
        return {title, field, TWidth::Fixed, px, a, {}};
    }
    static TGridColumn percent(const QString& title, const QString& field, int pct,
                               Qt::Alignment a = Qt::AlignLeft)
    {
        return {title, field, TWidth::Percent, pct, a, {}};
    }
    static TGridColumn rest(const QString& title, const QString& field, int minimum,
                            Qt::Alignment a = Qt::AlignLeft)
    {
        return {title, field, TWidth::Rest, minimum, a, {}};
    }
    TGridColumn& formatted(std::function<QString(const TField&)> f)
    {
        format = std::move(f);
        return *this;
    }
};

// Colours of one row: the callback may change all four.
struct TRowColors {
    QColor background = Qt::white;
    QColor text = Qt::black;
    QColor selectedBackground = QColor(0, 0, 128);
    QColor selectedText = Qt::white;
};

class TQueryModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit TQueryModel(QObject* parent = nullptr) : QAbstractTableModel(parent) {}
    void setQuery(TQuery* q);
    TQuery* query() const { return FQuery; }
    void setColumns(const QList<TGridColumn>& columns);
    const QList<TGridColumn>& columns() const { return FColumns; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation o, int role) const override;
    // Display text of a cell.
    QString text(int row, int column) const;

private:
    void reset();
    TQuery* FQuery = nullptr;
    QList<TGridColumn> FColumns;
    QList<int> FFieldIndex;   // result column of each grid column, -1 when absent
};

class TDBGrid : public QTableView {
    Q_OBJECT
public:
    explicit TDBGrid(QWidget* parent = nullptr);

    void setQuery(TQuery* q);
    TQuery* query() const { return FModel->query(); }
    // `margin` is taken off the width before percentages and the rest are computed.
    void setColumns(const QList<TGridColumn>& columns, int margin = 0);
    const QList<TGridColumn>& columns() const { return FModel->columns(); }
    // Sets the widths again from the current width.
    void applyWidths();
    QString cellText(int row, int column) const { return FModel->text(row, column); }
    int rowCount() const { return FModel->rowCount(); }
    int currentRecord() const;

    // Title-click sorting: another column sorts ascending and is remembered,
    // the same column again reverses. Nothing happens on an empty list.
    void titleClick(int column);
    const QString& sortField() const { return FOldField; }
    bool sortAsc() const { return FSortAsc; }
    // Forgets the remembered column (ascending next time).
    void resetSort();
    // Sets the remembered column and direction without sorting.
    void setSortState(const QString& field, bool asc);
    // Sorts a list read again as it was sorted before. With no column
    // remembered yet: as a click on the first title, or, when
    // firstTitleWhenNone is false, in the order the statement gave.
    void reapplySort(bool firstTitleWhenNone = true);

    using TRowColorFn = std::function<void(const TQuery& q, int recNo, TRowColors& colors)>;
    void setRowColors(TRowColorFn fn) { FRowColors = std::move(fn); viewport()->update(); }
    TRowColors rowColors(int recNo) const;

    // Moves to the row whose field equals the value; true when found.
    bool locate(const QString& field, const QVariant& value);

Q_SIGNALS:
    void recordDoubleClicked();
    void currentRecordChanged(int recNo);

protected:
    void resizeEvent(QResizeEvent* e) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;

private:
    void syncFromQuery();
    TQueryModel* FModel;
    int FMargin = 0;
    QString FOldField;
    bool FSortAsc = true;
    TRowColorFn FRowColors;
    bool FSyncing = false;
};
