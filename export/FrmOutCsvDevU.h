#pragma once
// Device CSV: the patients' implanted-device records.

#include "export/PatientRecordCsv.h"

class TFrmOutCsvDev : public TFrmOutCsvPatRec {
    Q_OBJECT
public:
    explicit TFrmOutCsvDev(QWidget* parent = nullptr);

protected:
    QString table() const override { return QStringLiteral("M_DEVICE"); }
    QString alias() const override { return QStringLiteral("DV"); }
    QString title() const override { return QStringLiteral("患者デバイス情報CSV"); }
    QStringList middleTitles() const override;
    QStringList middleCells(const TQuery& q) const override;
};
