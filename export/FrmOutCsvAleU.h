#pragma once
// Allergy CSV: the patients' allergy records.

#include "export/PatientRecordCsv.h"

class TFrmOutCsvAle : public TFrmOutCsvPatRec {
    Q_OBJECT
public:
    explicit TFrmOutCsvAle(QWidget* parent = nullptr);

protected:
    QString table() const override { return QStringLiteral("M_ALLERGY"); }
    QString alias() const override { return QStringLiteral("AL"); }
    QString extraColumns() const override;
    QString title() const override { return QStringLiteral("患者アレルギー情報CSV"); }
    QStringList middleTitles() const override;
    QStringList middleCells(const TQuery& q) const override;
};
