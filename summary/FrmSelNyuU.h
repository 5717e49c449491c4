#pragma once
// Choice of one of the patient's admissions as the sibling clinic system
// records them, to take over its dates and department.

#include <QDateTime>
#include <QDialog>

class QPushButton;
class QShowEvent;
class TDBGrid;
class TQuery;

class TFrmSelNyu : public QDialog {
    Q_OBJECT
public:
    explicit TFrmSelNyu(QWidget* parent = nullptr);
    ~TFrmSelNyu() override;

    qint64 FID = 0;   // set by the caller: the patient

    // Returned on OK, as stored by the sibling system: FTAIDTM is invalid
    // (null) or the zero date while the patient is still in hospital;
    // FKACD is 0 when the admission names no department.
    QDateTime FNYUDTM;
    QDateTime FTAIDTM;
    int FKACD = 0;

    TDBGrid* dbgMei;
    QPushButton* bbtnOk;
    QPushButton* bbtnCancel;
    TQuery* ADOQ;

    void loadList();
    void bbtnOkClick();

protected:
    void showEvent(QShowEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool FShown = false;
};
