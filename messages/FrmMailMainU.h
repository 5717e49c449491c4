#pragma once
// The message list: the user's inbox or outbox, filtered by unread state and
// by texts in the subject and the content; composes, opens and deletes
// messages.

#include "app/FrmOBaseU.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QGroupBox;
class TDBGrid;
class TQuery;

class TFrmMailMain : public TFrmOBase {
    Q_OBJECT
public:
    explicit TFrmMailMain(QWidget* parent = nullptr);
    ~TFrmMailMain() override;

    QLabel* lblUserNm;
    QLabel* lblJTyp;
    QGroupBox* rgRS;
    QRadioButton* rbRecv;     // 受信メッセージ
    QRadioButton* rbSend;     // 送信メッセージ
    QCheckBox* cbMidoku;
    QLineEdit* edtKENMEI;
    QLineEdit* edtNAIYO;
    QPushButton* bbtnSrc;
    TDBGrid* dbgMei;
    QPushButton* bbtnInsert;
    QPushButton* bbtnDelete;
    QPushButton* bbtnClose;
    TQuery* ADOQMei;

    // 0 inbox, 1 outbox.
    int view() const;

    // The steps of the form, also driven directly by tests.
    void FormShow();
    void rgRSClick();
    void cbMidokuClick();
    void bbtnSrcClick();
    void bbtnInsertClick();
    void bbtnDeleteClick();
    void dbgMeiDblClick();
    // Runs the list from the view and the filters, keeping the title sort.
    void openList();

protected:
    void showEvent(QShowEvent* e) override;

private:
    bool FShown = false;
    TQuery* ADOQ;
};
