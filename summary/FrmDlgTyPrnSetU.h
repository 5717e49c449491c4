#pragma once
// Print settings of the discharge summary: shows which summary is about to be
// printed and asks whether the hospital's own data and the output time go on
// the document. Every opening starts from the defaults.

#include <QDialog>
#include <QString>

class QCheckBox;
class QLabel;
class QPushButton;
class QShowEvent;

class TFrmDlgTyPrnSet : public QDialog {
    Q_OBJECT
public:
    explicit TFrmDlgTyPrnSet(QWidget* parent = nullptr);
    ~TFrmDlgTyPrnSet() override;

    // Set by the caller before exec(): the texts shown.
    QString FID;      // patient ID
    QString FKNJNM;   // patient name
    QString FKANM;    // department name
    QString FNDTE;    // admission date, "yyyy/mm/dd"
    QString FTDTE;    // discharge date text (empty while in hospital)

    // Read by the caller after exec() returned Accepted.
    bool FPRNHOSP = true;   // print this facility's own information
    bool FPRNDTM = false;   // print the date and time of output

    QLabel* lblKNJNM;
    QLabel* lblID;
    QLabel* lblKANM;
    QLabel* lblNYUKIKAN;
    QCheckBox* cbPrnHosp;
    QCheckBox* cbPrnDtm;
    QPushButton* bbtnOk;
    QPushButton* bbtnCancel;

protected:
    void showEvent(QShowEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void bbtnOkClick();
};
