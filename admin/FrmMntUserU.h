#pragma once
// User maintenance: the list of every user, the editor beside it, saving a
// new or changed user, deleting under its safety rules, and the user CSV.
// At least one user always keeps the maintenance rights, however many
// workstations change users at once.

#include "app/CsvFile.h"
#include "app/FrmOBaseU.h"

#include <QDate>
#include <QStringList>
#include <optional>

class QCheckBox;
class QComboBox;
class QDateEdit;
class QLineEdit;
class QPushButton;
class TConnection;
class TDBGrid;
class TQuery;

class TFrmMntUser : public TFrmOBase {
    Q_OBJECT
public:
    explicit TFrmMntUser(QWidget* parent = nullptr);
    ~TFrmMntUser() override;

    TDBGrid* dbgMei;
    QLineEdit* edtID;
    QLineEdit* edtPass;
    QLineEdit* edtKana;
    QLineEdit* edtName;
    QComboBox* cmbJTYP;
    QCheckBox* cbWOK;
    QCheckBox* cbSOK;
    QCheckBox* cbKOK;
    QCheckBox* cbMntFlg;
    QDateEdit* dtpYStrDte;
    QDateEdit* dtpYEndDte;
    QLineEdit* edtComm;
    QPushButton* bbtnInsert;
    QPushButton* bbtnDelete;
    QPushButton* bbtnOut;
    QPushButton* bbtnClose;

    // Asks where the user CSV goes; tests answer it.
    csv::TAskSaveFile FAskSaveFile = csv::askSaveFile;

    TQuery* list() const { return ADOQMei; }

    // The steps of the form, also driven directly by tests.
    void FormShow();
    void edtIDExit();
    void bbtnInsertClick();
    void bbtnDeleteClick();
    void bbtnOutClick();

    // Job type code of a combo index and back (0 医師, 1 ＤＣ, 2 その他 = 9).
    static int jobTypeOfIndex(int index);
    static int indexOfJobType(int jtyp);

protected:
    void showEvent(QShowEvent* e) override;

private:
    // The editor as it is written.
    struct TValues {
        QString id, pass, kana, name, comm;
        int jtyp = 0;
        bool wok = false, sok = false, kok = false, mnt = false;
        QDate start, end;
    };
    // The row the editor was filled from: an update or delete goes through
    // only while the row is still as it was read.
    struct TSeen {
        QString id;
        QString rowVer;
    };

    // The key of the user the editor is for. While the ID field shows the
    // ID of the row the editor was filled from (as stored, or less blanks
    // at either end), that row's ID as stored, trailing blank included;
    // otherwise the typed ID without blanks at either end, as a new user is
    // stored and as the login finds it.
    QString editedId() const;
    TValues editorValues() const;
    void ADOQMeiAfterScroll();
    void openList();
    // Runs the list again and moves to the user; with `reload` the editor
    // shows that row, otherwise it keeps what was typed.
    void refresh(const QString& id, bool reload);
    bool locateUser(const QString& id);
    void setDefaults();
    bool unchanged(const TValues& v);
    void writeUser(TConnection& conn, const TValues& v, QString& refusal);

    TQuery* ADOQMei;
    bool FShown = false;
    bool FScrollAttached = true;
    std::optional<TSeen> FSeen;
};

// The lines of the user CSV for the rows of `SELECT * FROM "KLOV"."M_USER"`:
// the title line, then one line per row in the query's order.
QStringList userCsvLines(TQuery& users);

// Opens the user maintenance modally and releases it when it closes.
void OpenUserMaintenance(QWidget* parent);
