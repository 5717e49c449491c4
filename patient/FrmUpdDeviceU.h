#pragma once
// Edit form of one device of a patient (M_DEVICE): fitting date, device and comment.

#include "patient/PatientRecordList.h"

class QDateEdit;
class QLineEdit;

class TFrmUpdDevice : public TFrmPatientRecordEdit {
    Q_OBJECT
public:
    explicit TFrmUpdDevice(QWidget* parent = nullptr);

    // The entry (0 = new); after a save, the RNO of the inserted row.
    int FRNO = 0;

    QDateEdit* dtpADDDTE;   // 装着日
    QLineEdit* edtDEVICE;
    QLineEdit* edtCOMM;

protected:
    bool isNewRecord() const override { return FRNO == 0; }
    bool loadRecord() override;
    bool isChanged() override;
    bool validate() override;
    void saveRows(TConnection& conn) override;
    void commitNumbers() override { FRNO = FNewRNO; }

private:
    int FNewRNO = 0;
};
