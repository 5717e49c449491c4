#pragma once
// Writing a message: subject, content and the urgent mark, and the
// recipients picked from the users valid today. Sending writes one row per
// recipient under one new number.

#include "app/FrmOBaseU.h"

#include <QStringList>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class TDBGrid;
class TQuery;

class TFrmUpdMess : public TFrmOBase {
    Q_OBJECT
public:
    explicit TFrmUpdMess(QWidget* parent = nullptr);
    ~TFrmUpdMess() override;

    // Out (OK): the number the message was sent under.
    int FMESSNO = 0;

    QLineEdit* edtKENMEI;
    QCheckBox* cbLBLKBN;
    QPlainTextEdit* memNAIYO;
    QComboBox* cmbJTYP;
    QLineEdit* edtKANA;
    QPushButton* bbtnSrc;
    TDBGrid* dbgMei;
    QPushButton* bbtnAdd;
    QPushButton* bbtnDel;
    QListWidget* lstbSUSER;   // the recipients' names, in the order of FslUSERID
    QPushButton* bbtnInsert;
    QPushButton* bbtnClose;
    TQuery* ADOQ;

    // The recipients' IDs.
    const QStringList& recipients() const { return FslUSERID; }

    // The steps of the form, also driven directly by tests.
    void FormShow();
    void bbtnSrcClick();
    void bbtnAddClick();
    void bbtnDelClick();
    void bbtnInsertClick();

protected:
    void showEvent(QShowEvent* e) override;

private:
    bool FShown = false;
    QStringList FslUSERID;
};
