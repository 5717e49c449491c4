#pragma once
// The current patients written out as a CSV file, selected by number range,
// birth-date range, sex, postcode prefix and address text.

#include "app/CsvFile.h"
#include "app/FrmOBaseU.h"

class QComboBox;
class QDateEdit;
class QLineEdit;
class QPushButton;
class TNumberEdit;

class TFrmOutKanja : public TFrmOBase {
    Q_OBJECT
public:
    explicit TFrmOutKanja(QWidget* parent = nullptr);

    TNumberEdit* nedtIDFr;
    TNumberEdit* nedtIDTo;
    QDateEdit* dtpBIRTHFr;
    QDateEdit* dtpBIRTHTo;
    QComboBox* cmbSEX;
    QLineEdit* edtPost;
    QLineEdit* edtAdr;
    QPushButton* bbtnOut;
    QPushButton* bbtnClose;

    csv::TAskSaveFile FAskSaveFile = csv::askSaveFile;

    void bbtnOutClick();

protected:
    void showEvent(QShowEvent* e) override;

private:
    bool FFirstShown = false;
};
