#pragma once
// Summary CSV: the discharge summaries that match the conditions, one line
// per version with its stages, the days each took after discharge, four
// diagnoses and two operations side by side.

#include "export/OutCsvBase.h"

#include <array>
#include <vector>

class QComboBox;
class QDateEdit;
class QLineEdit;

class TFrmOutCsv : public TFrmOutCsvBase {
    Q_OBJECT
public:
    explicit TFrmOutCsv(QWidget* parent = nullptr);

    QComboBox* cmbKA;
    QComboBox* cmbSYUDR;
    QComboBox* cmbTANDR;
    QLineEdit* edtByonm;
    QLineEdit* edtICD10;
    QCheckBox* cbOnlySyu;
    QDateEdit* dtpNdteF;
    QDateEdit* dtpNdteT;
    QDateEdit* dtpTdteF;
    QDateEdit* dtpTdteT;
    QComboBox* cmbSts;
    QDateEdit* dtpDate;

    // Doctor IDs parallel to the items of both doctor combos ("" for "全て").
    QStringList FslDR;

    // Fills the combos and sets the counting day to today.
    void FormShow();

    struct TrecDiag {
        int SNO = 0;   // 0: empty slot
        QString SNO1, SNO2;
        QDateTime ADDDTE;
        QString BKNO;
        int DISTKBN = 0;
        QString BYONM, HJIKINM, TENKIN, BIKO, ICD102013;
    };
    struct TrecOpe {
        QDateTime OPEDTE;   // absent: empty slot
        QString OPENM, OPEDR1, OPEDR1NM, OPEDR2, OPEDR2NM, JYO1, JYO1NM, JYO2, JYO2NM, COMM, KCODE;
    };
    struct TrecStage {
        int FLG = 0;
        QString USERID, USERNM;
        QDateTime DTM;
    };
    struct TrecOut {
        int KNO = 0;
        int VERNO = 0;
        QDateTime VERDTE;
        int ACTKBN = 0;
        int DELKBN = 0;
        int KACD = 0;
        QString KANM;
        qint64 ID = 0;
        QString KNJKANA, KNJNAME;
        QDateTime NDTE, TDTE;
        int NSYU = 0;
        int NYUCNT = 0;
        std::array<QString, 6> texts;     // NYURIYU … TAIHOU, cleaned
        std::array<QString, 10> doctors;  // SYUDR, SYUDRNM, TANDR1, … WDR, WDRNM
        std::array<TrecStage, 3> stages;  // written, approved, completed
        std::array<TrecDiag, 4> diags;
        std::array<TrecOpe, 2> opes;
    };
    const std::vector<TrecOut>& entries() const { return FEntries; }

protected:
    void showEvent(QShowEvent* e) override;
    int loadEntries() override;
    QStringList buildLines() const override;
    QString fileName() const override { return QStringLiteral("退院サマリCSV.csv"); }
    QString filterTitle() const override { return QStringLiteral("退院サマリCSV"); }

private:
    // The conditions as they were when the entries were loaded.
    struct TConditions {
        qint64 id = 0;
        QString ka, syudr, tandr, byonm, icd;
        bool onlySyu = false, dispDel = false;
        QDate ndteF, ndteT, tdteF, tdteT, date;
    };
    void loadSelection();
    void loadDiagnoses();
    void loadOperations();

    std::vector<TrecOut> FEntries;
    TConditions FCond;
    bool FShown = false;
};
