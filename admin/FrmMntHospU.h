#pragma once
// The hospital's own data: one row, replaced whole on every save.

#include "app/FrmOBaseU.h"

#include <QList>
#include <QStringList>

class QLineEdit;
class QPushButton;
class TConnection;
class TNumberEdit;

class TFrmMntHosp : public TFrmOBase {
    Q_OBJECT
public:
    explicit TFrmMntHosp(QWidget* parent = nullptr);

    TNumberEdit* nedtHOSPNO;
    QLineEdit* edtHOSPNM;
    QLineEdit* edtHOSPKANA;
    QLineEdit* edtPOSTCD;
    QLineEdit* edtHOSPADR;
    QLineEdit* edtTEL;
    QLineEdit* edtFAX;
    QLineEdit* edtBIKO;
    QPushButton* bbtnInsert;
    QPushButton* bbtnClose;

    // The steps of the form, also driven directly by tests.
    void FormShow();
    void bbtnInsertClick();

protected:
    void showEvent(QShowEvent* e) override;

private:
    // Every stored row, each as its column texts, in one order.
    static QList<QStringList> readRows(TConnection& conn);

    QList<QStringList> FSeen;   // the rows as the form read them
    bool FShown = false;
};
