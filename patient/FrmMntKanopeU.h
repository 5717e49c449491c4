#pragma once
// The patient's operation list: add, change, delete, history and print.

#include "patient/PatientRecordList.h"

class TFrmMntKanope : public TFrmPatientRecordList {
    Q_OBJECT
public:
    explicit TFrmMntKanope(QWidget* parent = nullptr);

protected:
    QString listSql(bool history) const override;
    QList<TGridColumn> gridColumns() const override;
    std::optional<QVariant> runEditor(qint64 id, bool newRecord) override;
    QString locateField() const override { return QStringLiteral("SKEY"); }
    QString deleteQuestion() const override;
    void deleteCurrent(TConnection& conn) override;
    bool drawPrint(qint64 id) override;
};

// Opens the operation list of the patient (0 = none chosen yet) modally.
void OpenKanopeList(QWidget* parent, qint64 id);
