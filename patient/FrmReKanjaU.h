#pragma once
// Patient maintenance history: every stored revision of M_KANJA (current,
// superseded and deleted) with a detail pane for the selected row.

#include "app/FrmOBaseU.h"

class QLabel;
class QPushButton;
class TDBGrid;
class TNumberEdit;
class TQuery;

class TFrmReKanja : public TFrmOBase {
    Q_OBJECT
public:
    explicit TFrmReKanja(QWidget* parent = nullptr);
    ~TFrmReKanja() override;

    // Patient number to show; 0 = all. Set by the opener before showing.
    qint64 FintID = 0;

    TNumberEdit* nedtID;
    QPushButton* bbtnFilter;
    QPushButton* bbtnClose;
    TDBGrid* dbgMei;

    // Detail pane of the current row.
    QLabel* lblDelSts;   // "削除済" / "修正済"; hidden for the current revision
    QLabel* lblID;
    QLabel* lblKNJKANA;
    QLabel* lblKNJNAME;
    QLabel* lblBIRTH;
    QLabel* lblSEX;
    QLabel* lblPOSTCD;
    QLabel* lblADR1;
    QLabel* lblADR2;
    QLabel* lblTEL;
    QLabel* lblFAX;
    QLabel* lblKEITAI;
    QLabel* lblMAIL;
    QLabel* lblBIKO;
    QLabel* lblINSDTM;
    QLabel* lblUPDDTM;
    QLabel* lblINSUSERID;
    QLabel* lblUPDUSERID;

    TQuery* query() const { return ADOQ; }

    // Runs the list again and filters it by the number in nedtID.
    void bbtnFilterClick();
    // Fills the detail pane from the current row.
    void ShowDetail();

protected:
    void showEvent(QShowEvent* e) override;

private:
    void applyFilter();
    QList<QLabel*> detailLabels() const;

    TQuery* ADOQ;
    bool FFirstShown = false;
};
