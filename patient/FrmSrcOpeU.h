#pragma once
// Search in the operation-code master M_KCODE by name and K-code.

#include "patient/SearchDialog.h"

class TFrmSrcOpe : public TFrmSearchBase {
    Q_OBJECT
public:
    explicit TFrmSrcOpe(QWidget* parent = nullptr);

    // Out (OK): the chosen name and K-code, trimmed.
    QString FstrSNM;
    QString FstrKCODE;

    QLineEdit* edtName;
    QLineEdit* edtKCODE;

protected:
    void search(TQuery& q) override;
    QString firstSortField() const override { return QStringLiteral("SNM"); }
    void takeRow(const TQuery& q) override;
};
