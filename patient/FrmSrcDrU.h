#pragma once
// Doctor search by department, name and kana; OK returns the doctor's USERID.

#include "patient/SearchDialog.h"

class QComboBox;

class TFrmSrcDr : public TFrmSearchBase {
    Q_OBJECT
public:
    explicit TFrmSrcDr(QWidget* parent = nullptr);

    // Out (OK): the chosen doctor.
    QString FUSERID;

    QComboBox* cmbKA;     // "全て" and the departments; the code is the item data
    QLineEdit* edtName;
    QLineEdit* edtKana;

    // Fills cmbKA ("全て" chosen); runs on show.
    void loadDepartments();

protected:
    void search(TQuery& q) override;
    QString firstSortField() const override { return QStringLiteral("USERKANA"); }
    void takeRow(const TQuery& q) override;
    void showEvent(QShowEvent* e) override;

private:
    bool FLoaded = false;
};

// Opens the doctor search; true with the chosen doctor's USERID when the
// user took one. For every form with a doctor selector.
bool SearchDoctor(QWidget* parent, QString& userId);
