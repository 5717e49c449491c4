#pragma once
// The summary editor: one version of one discharge summary with its patient,
// admission data, the five narrative sections, the diagnoses and operations
// attached to the version and the three completion stages. It registers new
// summaries, saves changes, makes a new version of a completed summary and
// keeps an autosave copy of the narrative texts in the data folder.

#include "app/FrmOBaseU.h"
#include "controls/CheckDateEdit.h"

#include <QDate>
#include <array>
#include <functional>
#include <QDateTime>
#include <QStringList>

class QAction;
class QCheckBox;
class QComboBox;
class TConnection;
enum class TWriteResult;
class QDateEdit;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QSplitter;
class QTabWidget;
class QTimer;
class TDBGrid;
class TFrmDspUnsaved;
class TNumberEdit;
class TQuery;

class TFrmUpdTaiyou : public TFrmOBase {
    Q_OBJECT
public:
    explicit TFrmUpdTaiyou(QWidget* parent = nullptr);
    ~TFrmUpdTaiyou() override;

    // --- set by the opener; FKNO and FVERNO are read back afterwards --------
    int FKNO = 0;         // 0 = a new summary not yet in the database
    int FVERNO = 1;
    bool FRECOV = false;  // restore the narrative texts from the autosave files

    // --- patient block ----------------------------------------------------------
    TNumberEdit* nedtID;
    QPushButton* bbtnIdSrc;       // 患者検索: TFrmSrcKanja
    QLabel* lblKNJKANA;
    QLabel* lblKNJNAME;
    QLabel* lblAGE;
    QLabel* lblBIRTH;
    QLabel* lblSEX;
    QLabel* lblKNO;
    QLabel* lblVERNO;
    QLabel* lblDelOld;
    // 患者各情報画面起動. They open, with FID = the patient ID, the allergy
    // list TFrmMntAllergy, the device list TFrmMntDevice, the disease list
    // TFrmMntKanbyo and the operation list TFrmMntKanope.
    QPushButton* bbtnMntAl;
    QPushButton* bbtnMntDev;
    QPushButton* bbtnMntByo;
    QPushButton* bbtnMntOpe;

    // --- basic block ------------------------------------------------------------
    QWidget* pnlTop;
    QDateEdit* dtpNDTE;
    TCheckDateEdit* dtpTDTE;
    QComboBox* cmbNSYU;
    QComboBox* cmbKA;
    TNumberEdit* nedtNYUCNT;
    QComboBox* cmbSYUDR;
    QComboBox* cmbTANDR1;
    QComboBox* cmbTANDR2;
    QComboBox* cmbTANDR3;
    QComboBox* cmbWDR;
    // The doctor search beside each doctor list (SYUDR, TANDR1, TANDR2,
    // TANDR3, WDR): the chosen doctor is selected when the list offers him,
    // else the list goes to its empty entry.
    QPushButton* bbtnSrcDr[5];
    void bbtnSrcDrClick(int list);
    QLineEdit* edtNYURIYU;
    QPushButton* bbtnBase;        // 基本情報登録
    // Admission pick-up: TFrmSelNyu with the patient ID (shown only when the
    // sibling system's admission table exists); wired with that dialog.
    QPushButton* bbtnSrcNyu;

    // --- narrative pages --------------------------------------------------------
    QSplitter* splMain;
    QWidget* pnlMain;
    QTabWidget* pcMain;
    QPlainTextEdit* memNYUBEFKEIKA;
    QPlainTextEdit* memNYUKEIKA;
    QPlainTextEdit* memTAIJOUHO;
    QPlainTextEdit* memTAIYAKU;
    QPlainTextEdit* memTAIHOU;
    QPushButton* bbtnSTpl;        // 標準テンプレート
    QPushButton* bbtnKTpl;        // 個人テンプレート: TFrmMyTemple, then InsertMyTemplate
    QPushButton* bbtnCopy;        // 過去サマリ情報複写: TFrmSelOldCopy, then CopySections

    // --- diagnoses and operations -----------------------------------------------
    QWidget* pnlMRight;
    TDBGrid* dbgTAIBYO;
    QPushButton* bbtnTAIBYOADD;   // TFrmUpdTaiByo; on OK LoadDiagnoses (a double click clicks it)
    QPushButton* bbtnTAIBYODEL;
    QMenu* pmTAIBYO;
    QAction* TBchg;               // #上位移動
    TDBGrid* dbgOPE;
    QPushButton* bbtnOPEADD;      // TFrmUpdTaiOpe; on OK LoadOperations
    QPushButton* bbtnOPEDEL;

    // --- bottom bar ---------------------------------------------------------------
    QPushButton* spbWFLG;
    QPushButton* spbSFLG;
    QPushButton* spbKFLG;
    QLabel* lblWSTS;
    QLabel* lblSSTS;
    QLabel* lblKSTS;
    QLabel* lblWUSER;
    QLabel* lblSUSER;
    QLabel* lblKUSER;
    QLabel* lblWDTM;
    QLabel* lblSDTM;
    QLabel* lblKDTM;
    QPushButton* bbtnAftUpd;      // 完成後修正
    // 保存されなかった入力: shown while texts typed here could not be saved
    // (another workstation completed or deleted the version); opens them.
    QPushButton* bbtnUnsaved;
    // The window with those texts, made when they are first shown.
    TFrmDspUnsaved* frmUnsaved = nullptr;
    QPushButton* bbtnFhir;        // FHIR出力
    QPushButton* bbtnUpdate;      // 　登　録
    QPushButton* bbtnClose;       // 閉じる

    // Autosave, every 15 seconds while an editable version is open.
    QTimer* timWrite;

    // --- queries on the shared connection ----------------------------------------
    TQuery* ADOQ;
    TQuery* ADOQR;
    TQuery* ADOQDR;
    TQuery* ADOQTAIBYO;
    TQuery* ADOQOPE;

    // --- operations ------------------------------------------------------------------
    void ShowPatient();
    void SetAdmissionCount();
    void SetDoctorLists();
    bool CheckBase();
    bool InsertBase();
    void ShowEditPanels();
    void LoadSummary();
    void LoadDiagnoses();
    void LoadOperations();
    bool CheckInput();
    bool UpdateSummary();
    bool IsChanged() const;
    void DeleteDiagnosis();
    void MoveDiagnosisUp();
    void DeleteOperation();
    void WriteThreadProc();
    void SetEditable(bool on);
    bool CreateNewVersion();
    // Replaces the text of each flagged memo (in the order of the sections)
    // with that section of the version KNO, VERNO; the others keep theirs.
    // Nothing is written until the summary is saved.
    void CopySections(int kno, int verno, const std::array<bool, 5>& sections);
    // Puts the logged-in user's template MTNO in front of the first memo's
    // text; nothing happens when the template is not there.
    void InsertMyTemplate(int mtno);

    // --- buttons -----------------------------------------------------------------------
    void bbtnBaseClick();
    void bbtnUpdateClick();
    void bbtnSTplClick();
    void bbtnKTplClick();
    void bbtnCopyClick();
    void bbtnSrcNyuClick();
    void bbtnAftUpdClick();
    void bbtnUnsavedClick();
    // The version as stored, as an FHIR discharge-summary document file.
    void bbtnFhirClick();
    // Asks for the FHIR output folder; the folder dialog when empty.
    std::function<QString(QWidget*, const QString&)> FAskFhirFolder;
    void bbtnIdSrcClick();

    // The patient ID as it was when the ID field received the focus.
    qint64 FID = 0;
    // User IDs parallel to the entries of the doctor lists; entry 0 is empty.
    QStringList FslDR;

    // The stage values as loaded.
    int FWFLG = 0, FSFLG = 0, FKFLG = 0;
    QString FWUSERID, FSUSERID, FKUSERID;
    QDateTime FWDTM, FSDTM, FKDTM, FVERDTE;

    // The values "changed" is measured against, taken when the form opens.
    struct TSnapshot {
        int KAIDX = -1, SYUDRIDX = 0, TANDR1IDX = 0, TANDR2IDX = 0, TANDR3IDX = 0, WDRIDX = 0, NSYUIDX = 0;
        int NYUCNT = 0;
        QString NYURIYU, NYUBEFKEIKA, NYUKEIKA, TAIJOUHO, TAIYAKU, TAIHOU;
        QDate NDTE;
        QDate TDTE;   // invalid when no discharge date was set
    };
    TSnapshot FSnap;

    // Something of this form has been committed (a registration, a save, a
    // new version, a change of the lists), whatever the form's result.
    bool FCommitted = false;

    // The form has been opened (the loading of the show event has run).
    bool opened() const { return FOpened; }

public Q_SLOTS:
    void reject() override;

protected:
    void showEvent(QShowEvent* e) override;
    void done(int r) override;

private:
    void buildUi();
    QWidget* buildPatientBlock();
    QWidget* buildBasicBlock();
    QWidget* buildNarrativePages();
    QWidget* buildLists();
    QWidget* buildBottomBar();
    void FormShow();
    void takeSnapshot();
    void sizeGridColumns();
    void sizePanels();
    void startAutosave();
    void restoreAutosave();
    void deleteAutosave();
    void nedtIDEnter();
    void nedtIDExit();
    void dtpNDTEExit();
    void stageClicked(int stage, bool down);
    void showStages();
    void applyEditability(int actkbn, int delkbn);
    void enableStageButtonsByPermission();
    void updateMoveUpItem();
    bool isNew() const;
    QString doctorId(const QComboBox* cmb) const;
    QComboBox* doctorList(int i) const;
    QPlainTextEdit* memo(int i) const;
    void focusMemo(int i);

    QDate FToday;
    int FMainWidth = 768;   // width of pnlMain: 60 % of the screen
    bool FOpened = false;
    bool FAutosaveWarned = false;
    QString FWNM, FSNM, FKNM;   // names of the stage users as loaded
    int FACTKBN = 1, FDELKBN = 0;
    // The row's revision as loaded (its xmin): any write by another
    // workstation since then changes it.
    QString FROWVER;

    // Runs a write of this form (runWrite) and remembers that the form has
    // changed the database once one is committed.
    TWriteResult write(const std::function<void(TConnection&)>& work);

    // Inside a write of the version's lists or stages: holds the version's
    // lock and throws EConflictError unless the version is still the current,
    // live one with the stages as loaded.
    void requireVersionAsLoaded(TConnection& conn);
    // After a write was refused because another workstation changed the
    // summary: reads it again. What was typed here stays in the fields while
    // the version can still be edited; otherwise it is kept aside (FUnsaved).
    void rereadAfterConflict();

    // Texts typed here that no save could store, in the order of the
    // sections, then the reason; empty where nothing was lost. A new version
    // made with 完成後修正 takes them over as unsaved changes.
    std::array<QString, 6> FUnsaved;
    bool hasUnsaved() const;
    void showUnsaved();
    void carryUnsaved();
};

// Opens the editor as the main window does: new summary (kno 0, verno 1),
// an existing version, or the restore after a crash (recov). kno and verno
// are written back whatever the result; true when the editor closed with OK
// or has committed anything before it closed (so the list is read again).
bool OpenTaiyouEditor(QWidget* parent, bool recov, int& kno, int& verno);
