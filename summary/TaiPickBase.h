#pragma once
// The dialogs that attach one of the patient's records to a summary version:
// a disease under a "#" number, or an operation. Both list the patient's live
// records of the admission period (or all of them with cbAllDisp ticked), show
// the rows already attached to the version on silver and attach the selected
// row in one transaction that holds the version's lock.

#include "app/FrmOBaseU.h"

#include <QDate>
#include <QVariant>
#include <functional>

class QCheckBox;
class QHBoxLayout;
class QPushButton;
class TConnection;
class TDBGrid;
class TQuery;
struct TGridColumn;

// How a pick dialog ended.
enum class TPickResult {
    Closed,          // nothing attached
    Attached,        // one row attached
    VersionChanged,  // another workstation changed the version: the opener reads it again
};

class TFrmTaiPickBase : public TFrmOBase {
    Q_OBJECT
public:
    // Inside the attaching transaction, after the version's lock is taken:
    // throws EConflictError unless the version is still as the opener loaded it.
    using TVersionCheck = std::function<void(TConnection&)>;

    // --- set by the opener ----------------------------------------------------
    qint64 FID = 0;
    int FKNO = 0;
    int FVERNO = 0;
    TVersionCheck FRequireVersion;

    // The admission period of the version, read on opening.
    QDate FNDTE;
    QDate FTDTE;

    TDBGrid* dbgMei;
    QCheckBox* cbAllDisp;
    QPushButton* bbtnUpdate;
    QPushButton* bbtnClose;
    TQuery* ADOQMei;   // the list
    TQuery* ADOQ;      // work statements

    // Sets the inputs, shows the dialog modally and tells how it ended.
    TPickResult run(qint64 id, int kno, int verno, TVersionCheck requireVersion);

    // The steps of the form, also driven directly by tests.
    void FormShow();
    // Reads the list again and selects its first row, or the row with that
    // key when it is still listed.
    void openList(const QVariant& key = {});
    void bbtnUpdateClick();
    // True when the row of the list is attached to the version already.
    virtual bool attached(int recNo) const = 0;

protected:
    TFrmTaiPickBase(QWidget* parent, const QString& title, const QString& allText);

    // ---- what each dialog supplies ----
    virtual QList<TGridColumn> gridColumns() const = 0;
    // The list statement; `all` lifts the period condition.
    virtual QString listSql(bool all) const = 0;
    virtual void bindList(TQuery& q) const = 0;
    // The key column that finds a row again after the list is read again.
    virtual QString keyField() const = 0;
    // Steps of the opening before the period is read, and the focus after it.
    virtual void prepare() {}
    virtual void focusFirst() = 0;
    // What the admission period becomes when the version has no discharge date.
    virtual QDate openEnd() const { return FTDTE; }
    virtual QString emptyMessage() const = 0;
    virtual QString attachedMessage() const = 0;
    // Checks of the input that need no database; false after their warning.
    virtual bool checkInput() { return true; }
    // Inside the transaction, under the version's lock: the checks against
    // the stored rows, then the insert of the current row. Returns the
    // refusal text of a failed check (nothing written), or empty after the
    // insert; throws EConflictError when the row was attached meanwhile.
    virtual QString attachCurrent(TConnection& conn) = 0;

    // Where a dialog puts its own fields, left of the check box.
    QHBoxLayout* bottomBar() const { return FBottom; }

    void showEvent(QShowEvent* e) override;

private:
    void readPeriod();
    void updateButton();

    QHBoxLayout* FBottom;
    bool FShown = false;
};
