#pragma once
// The logged-in user's own templates for the section "入院までの経過": list,
// add, change, delete, and the choice of one to insert.

#include "app/FrmOBaseU.h"

class QPushButton;
class QShowEvent;
class TDBGrid;
class TQuery;

class TFrmMyTemple : public TFrmOBase {
    Q_OBJECT
public:
    explicit TFrmMyTemple(QWidget* parent = nullptr);
    ~TFrmMyTemple() override;

    int FMTNO = 0;   // returned on OK: the chosen template

    TDBGrid* dbgMei;
    QPushButton* bbtnAdd;
    QPushButton* bbtnUpd;
    QPushButton* bbtnDel;
    QPushButton* bbtnOk;
    QPushButton* bbtnCancel;
    TQuery* ADOQ;

    // Reads the user's templates again and selects the one numbered `mtno`
    // (the first when it is not there).
    void loadList(int mtno = 0);
    void bbtnAddClick();
    void bbtnUpdClick();
    void bbtnDelClick();
    void bbtnOkClick();

protected:
    void showEvent(QShowEvent* e) override;

private:
    bool hasRows() const;
    void edit(int mtno);
    bool FShown = false;
};
