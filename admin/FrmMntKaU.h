#pragma once
// Department maintenance: the list of departments on the left, the editor on
// the right; register, change, delete (with the department's doctor
// assignments) and the department CSV.

#include "app/CsvFile.h"
#include "app/FrmOBaseU.h"

class QCheckBox;
class QLineEdit;
class QPushButton;
class TDBGrid;
class TNumberEdit;
class TQuery;

class TFrmMntKa : public TFrmOBase {
    Q_OBJECT
public:
    explicit TFrmMntKa(QWidget* parent = nullptr);
    ~TFrmMntKa() override;

    TQuery* ADOQMei;
    TDBGrid* dbgMei;
    TNumberEdit* nedtCD;
    QLineEdit* edtName;
    QLineEdit* edtRName;
    QCheckBox* cbDspFlg;
    QPushButton* bbtnInsert;
    QPushButton* bbtnDelete;
    QPushButton* bbtnOut;
    QPushButton* bbtnClose;

    // Asks where the CSV goes; tests answer it.
    csv::TAskSaveFile FAskSaveFile = csv::askSaveFile;

    // The steps of the form, also driven directly by tests.
    void FormShow();
    void ADOQMeiAfterScroll();
    void nedtCDExit();
    void bbtnInsertClick();
    void bbtnDeleteClick();
    void bbtnOutClick();

protected:
    void showEvent(QShowEvent* e) override;

private:
    // A department as the user last saw it in the list or the editor.
    struct TSeen {
        int code = -1;
        bool exists = false;
        QString name;
        QString rname;
        int dspkbn = 0;
    };
    static TSeen seenOf(const TQuery& q);
    void showSeen(const TSeen& seen);
    // Reads the list again and moves to the code, the row handler detached.
    void requeryAt(int code);
    void openList();

    TSeen FSeen;
    bool FShown = false;
    bool FLoading = false;
};
