#pragma once
// The patient's allergy and intolerance list: add, change, delete, history
// and print. The strip shows "アレルギー無" with its date while the patient is
// registered as having no allergy.

#include "patient/PatientRecordList.h"

class TFrmMntAllergy : public TFrmPatientRecordList {
    Q_OBJECT
public:
    explicit TFrmMntAllergy(QWidget* parent = nullptr);

    QLabel* lblAlle;     // "アレルギー無"
    QLabel* lblInsDte;   // "登録日：yyyy/mm/dd"

protected:
    QString listSql(bool history) const override;
    QList<TGridColumn> gridColumns() const override;
    std::optional<QVariant> runEditor(qint64 id, bool newRecord) override;
    QString locateField() const override { return QStringLiteral("RNO"); }
    QString deleteQuestion() const override;
    void deleteCurrent(TConnection& conn) override;
    bool drawPrint(qint64 id) override;
    void loadHeader(qint64 id) override;
};

// Opens the allergy list of the patient (0 = none chosen yet) modally.
void OpenAllergyList(QWidget* parent, qint64 id);
