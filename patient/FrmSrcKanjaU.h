#pragma once
// Patient search: criteria on kana, address, telephone, sex and birth date;
// OK returns the chosen patient's number in FintID.

#include "patient/SearchDialog.h"

class QButtonGroup;
class QCheckBox;
class QDateEdit;
class QGroupBox;
class QLineEdit;
class QRadioButton;

class TFrmSrcKanja : public TFrmSearchBase {
    Q_OBJECT
public:
    explicit TFrmSrcKanja(QWidget* parent = nullptr);

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

    // Item index of rdgSex: 0 "全て", 1 "男性", 2 "女性".
    int sexIndex() const;
    void setSexIndex(int index);

protected:
    void search(TQuery& q) override;
    QString firstSortField() const override { return QStringLiteral("ID"); }
    void takeRow(const TQuery& q) override;

private:
    QButtonGroup* FSexGroup;
};
