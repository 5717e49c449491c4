#pragma once
// Edit form of one allergy or intolerance entry of a patient (M_ALLERGY):
// "なし" (no allergy), "あり" (present) or "不詳" (of unknown kind) with, for
// the latter two, the substance, the reaction, the onset, how it was
// confirmed and a comment. The save keeps a "なし" entry from living beside
// "あり"/"不詳" entries.

#include "patient/PatientRecordList.h"

#include <QList>

class QCheckBox;
class QComboBox;
class QDateEdit;
class QGroupBox;
class QLineEdit;
class TOnsetEdit;

class TFrmUpdAllergy : public TFrmPatientRecordEdit {
    Q_OBJECT
public:
    explicit TFrmUpdAllergy(QWidget* parent = nullptr);

    // The entry (0 = new); after a save, the RNO of the inserted row.
    int FRNO = 0;

    QDateEdit* dtpADDDTE;
    QComboBox* cmbHKBN;    // "なし", "あり", "不詳"
    QGroupBox* grpAlle;    // shown for "あり" and "不詳"
    QLineEdit* edtALLEHIN;
    QLineEdit* edtHANNOU;
    TOnsetEdit* onset;
    QCheckBox* cbKAFAMY;   // "本人・家族確認"
    QCheckBox* cbKAHOSP;   // "医療従事者確認"
    QLineEdit* edtCOMM;

protected:
    bool isNewRecord() const override { return FRNO == 0; }
    bool loadRecord() override;
    bool isChanged() override;
    bool validate() override;
    void saveRows(TConnection& conn) override;
    void commitNumbers() override { FRNO = FNewRNO; }
    bool conflictKeepsInput() const override { return FAskedChanged; }

private:
    void clearDetails();
    bool validateNone();
    bool validatePresent();
    int FNewRNO = 0;
    // The live entries the save may retire, as the checks read them.
    QList<int> FAsked;
    // The last save found an entry registered after the checks.
    bool FAskedChanged = false;
};
