#pragma once
// The list and edit forms of a patient's clinical records (diseases,
// operations, allergies, devices). The list shows the patient's live rows,
// or every row with history when asked, and adds, changes and deletes
// through the record's edit form; the edit form detects changes, validates
// and saves by retiring the live row and inserting the edited one in one
// transaction. Each record type derives both forms and supplies only what is
// its own: statements, columns, fields and messages.

#include "app/FrmOBaseU.h"

#include <QList>
#include <QVariant>
#include <optional>

class QCheckBox;
class QDateEdit;
class QGridLayout;
class QLabel;
class QPushButton;
class QToolButton;
class TConnection;
class TDBGrid;
class TFrmPatientRecordEdit;
class TNumberEdit;
class TPatientHeader;
class TQuery;
class TplPrev;
class TplSetPrinter;
struct TGridColumn;

class TFrmPatientRecordList : public TFrmOBase {
    Q_OBJECT
public:
    explicit TFrmPatientRecordList(QWidget* parent = nullptr);
    ~TFrmPatientRecordList() override;

    // The patient to show first (0 = none); set before showing.
    qint64 FID = 0;

    TNumberEdit* nedtID;
    QToolButton* bbtnIdSrc;
    TPatientHeader* header;
    QCheckBox* cbRireki;
    TDBGrid* dbgMei;
    QPushButton* bbtnInsert;
    QPushButton* bbtnUpdate;
    QPushButton* bbtnDelete;
    QPushButton* bbtnPrint;
    QPushButton* bbtnClose;
    TplPrev* plPrev1;
    TplSetPrinter* plSetPrinter1;

    TQuery* query() const { return ADOQ; }

    // The steps of the form, also driven directly by tests.
    void FormShow();
    void nedtIDExit();          // header and list of the number in nedtID
    void bbtnIdSrcClick();
    void bbtnInsertClick();
    void bbtnUpdateClick();
    void bbtnDeleteClick();
    void bbtnPrintClick();
    void cbRirekiClick();
    // Runs the list query again (keeping the column-title sort).
    void openList();
    // True when the current row is a history row.
    bool currentIsHistory() const;

protected:
    // ---- what each record type supplies ----
    // The complete list statement with its :ID parameter; history rows
    // are included when `history` is true.
    virtual QString listSql(bool history) const = 0;
    virtual QList<TGridColumn> gridColumns() const = 0;
    // Opens the edit form for a new record (newRecord) or for the current
    // row; returns the value of locateField() of the saved row, or nothing
    // when the form was closed without saving.
    virtual std::optional<QVariant> runEditor(qint64 id, bool newRecord) = 0;
    virtual QString locateField() const = 0;
    // Checks that may refuse the deletion of the current row (with their
    // message); true lets it go on.
    virtual bool deleteAllowed() { return true; }
    // The confirmation asked before the current row is retired.
    virtual QString deleteQuestion() const = 0;
    // Retires the current row, which must still be live (one statement, in
    // the transaction the list opens for it).
    virtual void deleteCurrent(TConnection& conn) = 0;
    // Records the document of the patient's live rows; false when nothing
    // was drawn (the reason was shown).
    virtual bool drawPrint(qint64 id) = 0;
    // Loads the patient strip; types with extra labels override it.
    virtual void loadHeader(qint64 id);
    // Runs the edit form modally and returns its result. The record is read
    // before the form shows: when the row to change was retired by another
    // workstation since the list was read, that is said at once and the
    // form does not open: precord::kReadAgain, the list reads again.
    int runModal(TFrmPatientRecordEdit& dlg);

    void showEvent(QShowEvent* e) override;

private:
    void reloadAll();
    void readAgain();
    void applyListSort();
    void afterSave(const QVariant& key);

    TQuery* ADOQ;
    bool FShown = false;
    qint64 FListID = -1;
};

class TFrmPatientRecordEdit : public TFrmOBase {
    Q_OBJECT
public:
    explicit TFrmPatientRecordEdit(QWidget* parent = nullptr);

    qint64 FID = 0;   // the patient

    QLabel* lblID;
    TPatientHeader* header;
    QPushButton* bbtnInsert;
    QPushButton* bbtnClose;

    // The steps of the form, also driven directly by tests.
    void FormShow();
    // Change detection, validation and the save; closes with OK after a save.
    void bbtnInsertClick();
    // After FormShow: the record to change is no longer live.
    bool recordGone() const { return FGone; }

Q_SIGNALS:
    // A save was refused because another workstation changed the patient's
    // records, and the form stays open with what was typed: the list behind
    // reads them again.
    void readAgain();

protected:
    // ---- what each record type supplies ----
    virtual bool isNewRecord() const = 0;
    // Fills the controls from the stored row, or with the defaults of a new
    // record when there is none; returns whether the stored row was found.
    virtual bool loadRecord() = 0;
    // Input the form still has to take in before the register button acts.
    virtual void commitPendingInput() {}
    // Existing records only: true when any field differs from the stored row.
    virtual bool isChanged() = 0;
    // Existing records only, after a change was found: questions that may
    // stop the save (false ends it).
    virtual bool confirmChange() { return true; }
    // Checks in order; the first failure shows its message, moves the focus
    // and returns false.
    virtual bool validate() = 0;
    // The writes of the save, inside the open transaction; a retire states
    // that the row is still live and throws EConflictError when it is not
    // (TQuery::execSqlExpect). New numbers are
    // kept aside until commitNumbers(), called only after the commit, so a
    // failed save leaves the form as it was.
    virtual void saveRows(TConnection& conn) = 0;
    virtual void commitNumbers() = 0;
    // After a save refused with EConflictError: true keeps the form open
    // with what was typed (the list reads again and the next press checks
    // afresh); otherwise the form closes and the list reads the record again.
    virtual bool conflictKeepsInput() const { return false; }
    // Puts the body controls below the patient strip.
    QWidget* recordArea() const { return FArea; }
    // The grid of captions and fields on the record area, laid out alike in
    // every edit form.
    QGridLayout* recordGrid();

    void showEvent(QShowEvent* e) override;

private:
    QWidget* FArea;
    QGridLayout* FGrid = nullptr;
    bool FShown = false;
    bool FGone = false;
};

// Helpers the record forms share.
namespace precord {
// The result of an edit form closed because another workstation changed
// its record first: the list reads the record again.
constexpr int kReadAgain = 2;
// What runEditor makes of the edit form's result: the key of the saved row,
// an empty key (read the list again, locate nothing) or nothing at all.
std::optional<QVariant> editorOutcome(int dialogResult, const QVariant& savedKey);
} // namespace precord
