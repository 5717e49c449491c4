#pragma once
// Attaches one of the patient's operations to a summary version.

#include "summary/TaiPickBase.h"

class TFrmUpdTaiOpe : public TFrmTaiPickBase {
    Q_OBJECT
public:
    explicit TFrmUpdTaiOpe(QWidget* parent = nullptr);

    bool attached(int recNo) const override;

protected:
    QList<TGridColumn> gridColumns() const override;
    QString listSql(bool all) const override;
    void bindList(TQuery& q) const override;
    QString keyField() const override { return QStringLiteral("ONO"); }
    void focusFirst() override;
    QDate openEnd() const override { return QDate(2300, 12, 31); }
    QString emptyMessage() const override;
    QString attachedMessage() const override;
    QString attachCurrent(TConnection& conn) override;
};
