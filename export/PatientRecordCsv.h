#pragma once
// The exports of a patient-record table (allergies, devices): every record of
// one patient or of all, optionally with the deleted ones, each line opened by
// the patient and record number and closed by the registration and deletion.

#include "export/OutCsvBase.h"

class TQuery;

class TFrmOutCsvPatRec : public TFrmOutCsvBase {
    Q_OBJECT
public:
    TFrmOutCsvPatRec(QWidget* parent, const QString& objectName, const QString& title);

protected:
    // The table ("M_ALLERGY"), its alias ("AL") and the extra select items
    // (with their leading comma).
    virtual QString table() const = 0;
    virtual QString alias() const = 0;
    virtual QString extraColumns() const { return {}; }
    // "患者アレルギー情報CSV"
    virtual QString title() const = 0;
    // The titles and cells between "管理連番" and "削除".
    virtual QStringList middleTitles() const = 0;
    virtual QStringList middleCells(const TQuery& q) const = 0;

    int loadEntries() override;
    QStringList buildLines() const override;
    QString fileName() const override { return title() + QStringLiteral(".csv"); }
    QString filterTitle() const override { return title(); }

private:
    QStringList FRows;
    qint64 FLoadedID = 0;
    bool FLoadedDel = false;
};
