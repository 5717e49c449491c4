#pragma once
// Patient search: criteria on kana, address, telephone, sex and birth date;
// OK returns the chosen patient's number in FintID.

#include <QDialog>

class QButtonGroup;
class QCheckBox;
class QDateEdit;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class TDBGrid;
class TQuery;

class TFrmSrcKanja : public QDialog {
    Q_OBJECT
public:
    explicit TFrmSrcKanja(QWidget* parent = nullptr);
    ~TFrmSrcKanja() override;

    // The chosen patient's ID once the dialog has closed with OK.
    qint64 FintID = 0;

    QLineEdit* edtName;   // 患者カナ
    QLineEdit* edtAdr;
    QLineEdit* edtTel;
    QGroupBox* rdgSex;
    QRadioButton* rbAll;
    QRadioButton* rbMale;
    QRadioButton* rbFemale;
    QCheckBox* cbBirth;
    QDateEdit* dtpBirth;
    QPushButton* bbtnSrc;
    QPushButton* bbtnOk;
    QPushButton* bbtnCancel;
    TDBGrid* dbgMei;

    TQuery* query() const { return ADOQ; }
    // Item index of rdgSex: 0 "全て", 1 "男性", 2 "女性".
    int sexIndex() const;
    void setSexIndex(int index);

    // Runs the search with the criteria that are set.
    void bbtnSrcClick();
    // Takes the current row's ID and closes with OK; nothing without rows.
    void bbtnOkClick();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QButtonGroup* FSexGroup;
    TQuery* ADOQ;
    bool FSearched = false;
};
