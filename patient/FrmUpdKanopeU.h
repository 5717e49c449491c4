#pragma once
// Edit form of one operation or procedure of a patient (D_KANOPE), with the
// surgeons and assistants chosen among the doctors valid on its date.

#include "patient/PatientRecordList.h"

#include <QDate>
#include <QStringList>
#include <array>
#include <functional>

class QComboBox;
class QDateEdit;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QToolButton;

class TFrmUpdKanope : public TFrmPatientRecordEdit {
    Q_OBJECT
public:
    explicit TFrmUpdKanope(QWidget* parent = nullptr);

    // The operation (0 = new); after a save, the numbers of the inserted row.
    int FONO = 0;
    int FRNO = 0;
    // USERIDs of the doctor selectors, "" first: item i of each selector
    // stands for FslDR[i].
    QStringList FslDR;

    QDateEdit* dtpOPEDTE;
    QLineEdit* edtOPENM;
    QToolButton* sbSrcOpe;
    QLineEdit* edtKCODE;
    QComboBox* cmbOPEDR1;
    QComboBox* cmbOPEDR2;
    QComboBox* cmbJYO1;
    QComboBox* cmbJYO2;
    QPushButton* bbtnSrcDr1;
    QPushButton* bbtnSrcDr2;
    QPushButton* BitBtn1;
    QPushButton* BitBtn2;
    QPlainTextEdit* memCOMM;

    // The four selectors in the order surgeon 1, surgeon 2, assistant 1, 2.
    std::array<QComboBox*, 4> doctorSelectors() const { return {cmbOPEDR1, cmbOPEDR2, cmbJYO1, cmbJYO2}; }
    // The USERID chosen in a selector ("" for none).
    QString chosenDoctor(const QComboBox* cmb) const;
    // Selects the doctor; false (selector left empty) when not in the list.
    bool selectDoctor(QComboBox* cmb, const QString& userId);
    // Rebuilds the doctor list for the date; all selectors become empty.
    void buildDoctorList(const QDate& date);

    // Entering and leaving the date (the leave rebuilds the doctor list when
    // the date changed).
    void dtpOPEDTEEnter();
    void dtpOPEDTEExit();
    void sbSrcOpeClick();
    // The doctor search for one selector.
    void srcDoctorClick(QComboBox* cmb);

    // The doctor search the buttons open; replaceable (tests). Returns true
    // with the chosen USERID.
    std::function<bool(QWidget* parent, QString& userId)> FSearchDoctor;

protected:
    bool isNewRecord() const override { return FONO == 0; }
    bool loadRecord() override;
    void commitPendingInput() override;
    bool isChanged() override;
    bool validate() override;
    void saveRows(TConnection& conn) override;
    void commitNumbers() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QDate FEnterDate;
    int FNewONO = 0;
    int FNewRNO = 0;
};
