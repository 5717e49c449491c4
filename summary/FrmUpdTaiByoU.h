#pragma once
// Attaches one of the patient's diseases to a summary version under a "#"
// number with two sub-numbers; the numbers of a version run without gaps.

#include "summary/TaiPickBase.h"

class QLineEdit;
class TNumberEdit;

class TFrmUpdTaiByo : public TFrmTaiPickBase {
    Q_OBJECT
public:
    explicit TFrmUpdTaiByo(QWidget* parent = nullptr);

    TNumberEdit* nedtSNO;
    QLineEdit* edtSNO1;
    QLineEdit* edtSNO2;

    bool attached(int recNo) const override;

protected:
    QList<TGridColumn> gridColumns() const override;
    QString listSql(bool all) const override;
    void bindList(TQuery& q) const override;
    QString keyField() const override { return QStringLiteral("BNO"); }
    void prepare() override;
    void focusFirst() override;
    QString emptyMessage() const override;
    QString attachedMessage() const override;
    bool checkInput() override;
    QString attachCurrent(TConnection& conn) override;
};
