#pragma once
// Search in the disease-name master M_NMAIN by kana, name and ICD-10 code.

#include "patient/SearchDialog.h"

class TFrmSrcByo : public TFrmSearchBase {
    Q_OBJECT
public:
    explicit TFrmSrcByo(QWidget* parent = nullptr);

    // In: put into the ICD-10 criterion when the dialog shows.
    // Out (OK): the chosen name's ICD-10 code, name and master code, trimmed.
    QString FstrICD10;
    QString FstrByo;
    QString FstrBKNO;

    QLineEdit* edtKana;
    QLineEdit* edtName;
    QLineEdit* edtICD10;

protected:
    void search(TQuery& q) override;
    QString firstSortField() const override { return QStringLiteral("BYOKANA"); }
    void takeRow(const TQuery& q) override;
    void showEvent(QShowEvent* e) override;
};
