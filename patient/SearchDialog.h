#pragma once
// The search dialogs of the patient-record forms: criteria above, " 絞込"
// to search, a list, " 選 択" (or a double click) to take the current row.
// Each dialog supplies its criteria, its search and what it returns.

#include <QDialog>
#include <QList>

class QGridLayout;
class QHBoxLayout;
class QLineEdit;
class QPushButton;
class TDBGrid;
class TQuery;
struct TGridColumn;

class TFrmSearchBase : public QDialog {
    Q_OBJECT
public:
    explicit TFrmSearchBase(QWidget* parent = nullptr);
    ~TFrmSearchBase() override;

    QPushButton* bbtnSrc;
    QPushButton* bbtnOk;
    QPushButton* bbtnCancel;
    TDBGrid* dbgMei;

    TQuery* query() const { return ADOQ; }

    // Runs the search with the criteria that are set.
    void bbtnSrcClick();
    // Takes the current row and closes with OK; nothing without rows.
    void bbtnOkClick();

protected:
    // Where the criteria go (two columns: caption, field).
    QGridLayout* criteria() const { return FCriteria; }
    QLineEdit* addCriterion(int row, const QString& caption, const QString& name, int maxLength);
    // Moves " 絞込" from beside the criteria into their grid; the grid then
    // takes the whole width.
    void placeSearchButton(int row, int column, Qt::Alignment alignment);
    void setColumns(const QList<TGridColumn>& columns, int margin);
    // Sorts the list by firstSortField() the first time only. The search
    // button does it after its first search that succeeds; a dialog may call
    // it earlier from search() to have the order set even when that fails.
    void setFirstSort();

    // Opens ADOQ for the criteria (statement, parameters, client filter).
    virtual void search(TQuery& q) = 0;
    // The field the list is sorted by after the first search.
    virtual QString firstSortField() const = 0;
    // Stores the current row's values in the result fields.
    virtual void takeRow(const TQuery& q) = 0;

    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    TQuery* ADOQ;
    QHBoxLayout* FTop;
    QGridLayout* FCriteria;
    bool FSearched = false;
};

// Client-side match of a fetched text: contained anywhere, or as a prefix.
// Case is ignored; an empty criterion matches everything.
namespace srcmatch {
bool contains(const QString& value, const QString& criterion);
bool startsWith(const QString& value, const QString& criterion);
} // namespace srcmatch
