#pragma once
// The patient's device list (implants, tubes and the like): add, change,
// delete, history and print.

#include "patient/PatientRecordList.h"

class TFrmMntDevice : public TFrmPatientRecordList {
    Q_OBJECT
public:
    explicit TFrmMntDevice(QWidget* parent = nullptr);

protected:
    QString listSql(bool history) const override;
    QList<TGridColumn> gridColumns() const override;
    std::optional<QVariant> runEditor(qint64 id, bool newRecord) override;
    QString locateField() const override { return QStringLiteral("RNO"); }
    QString deleteQuestion() const override;
    void deleteCurrent(TConnection& conn) override;
    bool drawPrint(qint64 id) override;
};

// Opens the device list of the patient (0 = none chosen yet) modally.
void OpenDeviceList(QWidget* parent, qint64 id);
