#pragma once
// Edit form of one disease of a patient (D_KANBYO): master or free name,
// flag for a presumed ("疑い") disease, onset as a partial date, end date, outcome and remarks.

#include "patient/PatientRecordList.h"
#include "controls/CheckDateEdit.h"

#include <QDate>

class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QToolButton;

class TNumberEdit;
class TOnsetEdit;

class TFrmUpdKanbyo : public TFrmPatientRecordEdit {
    Q_OBJECT
public:
    explicit TFrmUpdKanbyo(QWidget* parent = nullptr);

    // The disease (0 = new); after a save, the numbers of the inserted row.
    int FBNO = 0;
    int FRNO = 0;

    QDateEdit* dtpADDDTE;
    QCheckBox* cbFree;
    QLineEdit* edtBYONM;
    QToolButton* sbSrcByo;
    QLabel* lblICD10;
    QLabel* lblBKNO;
    QCheckBox* cbDist;
    TOnsetEdit* onset;
    // The onset's controls, by their own names.
    TNumberEdit* nedtHY;
    QComboBox* cmbHM;
    QLabel* lblHM;
    QComboBox* cmbHD;
    QLabel* lblHD;
    QCheckBox* cbHJIKIH;
    TCheckDateEdit* endDate;
    QCheckBox* cbENDDTE;  // the end date's check box
    QDateEdit* dtpENDDTE;
    QComboBox* cmbTENKI;
    QLineEdit* edtBIKO;

    // The onset code the controls stand for.
    QString onsetCode() const;

    void sbSrcByoClick();

protected:
    bool isNewRecord() const override { return FBNO == 0; }
    bool loadRecord() override;
    bool isChanged() override;
    bool confirmChange() override;
    bool validate() override;
    void saveRows(TConnection& conn) override;
    void commitNumbers() override;

private:
    int FNewBNO = 0;
    int FNewRNO = 0;
};
