#pragma once
// Reading one message: opened from the inbox it marks the message read;
// it prints the message.

#include "app/FrmOBaseU.h"
#include "messages/PrtMessU.h"

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class TplPrev;
class TplSetPrinter;

class TFrmReadMess : public TFrmOBase {
    Q_OBJECT
public:
    explicit TFrmReadMess(QWidget* parent = nullptr);
    ~TFrmReadMess() override;

    // In: the message, its recipient and the view it was opened from
    // (0 inbox, 1 outbox).
    int FMESSNO = 0;
    QString FRUSERID;
    int FRSKBN = 0;

    QLabel* lblMESSNO;
    QLabel* lblRSSTS;
    QLabel* lblSIKYU;     // 至　急
    QLabel* lblKIDOKU;    // 既　読
    QLabel* lblUSERNM;
    QLabel* lblSDTM;
    QLineEdit* edtKENMEI;
    QPlainTextEdit* memNaiyo;
    QPushButton* bbtnPrint;
    QPushButton* bbtnClose;
    TplPrev* plPrev1;
    TplSetPrinter* plSetPrinter1;

    // The steps of the form, also driven directly by tests.
    void FormShow();
    void bbtnPrintClick();

protected:
    void showEvent(QShowEvent* e) override;

private:
    // Shows the stored row; false when there is none.
    bool loadRow();
    void markRead();

    bool FShown = false;
    bool FFound = false;
    int FKFLG = 0;
    TrecMess FMess;
};
