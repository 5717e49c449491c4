#pragma once
// The main window: the list of discharge summaries with its filters and
// commands. Its first showing logs the user in.

#include "app/FrmOBaseU.h"

#include <QDate>
#include <QStringList>
#include <functional>

class QAction;
class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QMenuBar;
class QPushButton;
class QTimer;
class TDBGrid;
class TNumberEdit;
class TQuery;

class TFrmMain : public TFrmOBase {
    Q_OBJECT
public:
    explicit TFrmMain(QWidget* parent = nullptr);
    ~TFrmMain() override;

    // Menu items
    QMenuBar* mnuMain;
    QAction* N2;          // マスタメンテナンス
    QAction* QARNLink;    // QARN患者連携
    QAction* CSV1;
    QAction* CSV2;
    QAction* CSV3;
    QAction* mmnBack;
    QAction* mmnRestor;
    QAction* N6;          // ヘルプを開く
    QAction* N8;          // バージョン情報

    // Filter panel
    TNumberEdit* nedtID;
    QPushButton* bbtnIdSrc;
    QLineEdit* edtByonm;
    QLineEdit* edtICD10;
    QCheckBox* cbOnlySyu;
    QComboBox* cmbKA;
    QDateEdit* dtpNdteF;
    QDateEdit* dtpNdteT;
    QDateEdit* dtpTdteF;
    QDateEdit* dtpTdteT;
    QComboBox* cmbSYUDR;
    QComboBox* cmbTANDR;
    QComboBox* cmbSts;
    QCheckBox* cb14Over;
    QCheckBox* cbDispDel;
    QPushButton* bbtnFilter;
    QPushButton* bbtnMail;
    QLabel* lblNoRead;
    QLabel* lblSIKYU;
    QLabel* lblUserNm;
    QLabel* lblJTyp;
    QLabel* lblKENSU;

    TDBGrid* dbgMei;

    QPushButton* bbtnClose;
    QPushButton* bbtnInsert;
    QPushButton* bbtnUpdate;
    QPushButton* bbtnDelete;
    QPushButton* bbtnPrint;
    QPushButton* bbtnFhir;        // FHIR出力
    QTimer* Timer2;

    TQuery* ADOQMei;

    // True once the first showing has logged a user in.
    bool loggedIn() const { return FLoggedIn; }

    // The steps of the first showing (run once, after the window is up).
    void FormFirstShow();
    // Builds the list statement from the filters and runs it.
    void bbtnFilterClick();
    // Runs the list again as last built and moves to the row of the key.
    void RequeryList(const QString& skey = {});
    void bbtnDeleteClick();
    void bbtnIdSrcClick();
    // Print options, then the printed summary of the selected row.
    void bbtnPrintClick();
    // The selected row as an FHIR discharge-summary document file.
    void bbtnFhirClick();
    // Re-reads the unread and urgent message counts.
    void UpdateMailCount();
    // Opens the message list; the counters are read again when it closes.
    void bbtnMailClick();
    void QARNLinkClick();
    // The left-over autosave of the summary editor, checked on activation.
    void CheckAutosave();
    void N6Click();
    void N8Click();
    // Help file next to the program: KLOV.chm, or on this platform an HTML help.
    static QString helpFile();

    // Opens the summary editor: recover from the autosave, summary number
    // and version; true when the editor closed with OK. The summary editor
    // by default; tests may put another in its place.
    std::function<bool(bool recov, int& kno, int& verno)> openSummaryEditor;

    // Asks for the FHIR output folder; the folder dialog when empty. Tests
    // answer it.
    std::function<QString(QWidget*, const QString&)> FAskFhirFolder;

    // The key of a summary row: seven digits of KNO, three of VERNO.
    static QString summaryKey(int kno, int verno);

protected:
    void showEvent(QShowEvent* e) override;
    bool event(QEvent* e) override;

private:
    void buildMenu();
    void buildFilterPanel(class QVBoxLayout* body);
    void buildGrid(class QVBoxLayout* body);
    void buildButtons(class QVBoxLayout* body);
    void loadSelectionLists();
    void showCount();

    bool FFirstShown = false;
    bool FLoggedIn = false;
    bool FCheckingAutosave = false;
    QStringList FslDR;
    TQuery* ADOQ;
    TQuery* ADOQMail;
};
