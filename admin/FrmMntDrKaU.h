#pragma once
// Which doctor belongs to which departments: choose a doctor, see the
// departments, add one or take one away.

#include "app/FrmOBaseU.h"

#include <QStringList>

class QComboBox;
class QPushButton;
class TDBGrid;
class TQuery;

class TFrmMntDrKa : public TFrmOBase {
    Q_OBJECT
public:
    explicit TFrmMntDrKa(QWidget* parent = nullptr);
    ~TFrmMntDrKa() override;

    QComboBox* cmbDR;      // USERNM(USERID) of every doctor; the IDs in FslDR
    QComboBox* cmbKA;      // every department, hidden ones too; the code is the item data
    TQuery* ADOQMei;
    TDBGrid* dbgMei;
    QPushButton* bbtnInsert;
    QPushButton* bbtnDelete;
    QPushButton* bbtnClose;
    QStringList FslDR;

    // The steps of the form, also driven directly by tests.
    void FormShow();
    void openList();       // the chosen doctor's departments
    void ADOQMeiAfterScroll();
    void bbtnInsertClick();
    void bbtnDeleteClick();

protected:
    void showEvent(QShowEvent* e) override;

private:
    QString chosenDoctor() const;
    // Fills both combos again, keeping the doctor and department when they
    // are still there, and lists the doctor's departments.
    void loadChoices(const QString& doctor, int code);
    void requeryAt(int code);

    bool FShown = false;
    bool FLoading = false;
};
