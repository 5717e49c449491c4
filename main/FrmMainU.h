#pragma once
// The main window: the list of discharge summaries with its filters and
// commands. Its first showing logs the user in.

#include "app/FrmOBaseU.h"

class QAction;
class QLabel;
class QMenuBar;
class QPushButton;
class QTimer;
class TQuery;

class TFrmMain : public TFrmOBase {
    Q_OBJECT
public:
    explicit TFrmMain(QWidget* parent = nullptr);
    ~TFrmMain() override;

    // Menu items
    QMenuBar* mnuMain;
    QAction* N2;          // マスタメンテナンス
    QAction* QARNLink;    // QARN患者連携
    QAction* CSV1;
    QAction* CSV2;
    QAction* CSV3;
    QAction* mmnBack;
    QAction* mmnRestor;
    QAction* N6;          // ヘルプを開く
    QAction* N8;          // バージョン情報

    QLabel* lblUserNm;
    QLabel* lblJTyp;
    QLabel* lblNoRead;
    QLabel* lblSIKYU;
    QPushButton* bbtnMail;
    QPushButton* bbtnClose;
    QTimer* Timer2;

    // True once the first showing has logged a user in.
    bool loggedIn() const { return FLoggedIn; }

    // The steps of the first showing (run once, after the window is up).
    void FormFirstShow();
    // Re-reads the unread and urgent message counts.
    void UpdateMailCount();
    void QARNLinkClick();
    void N6Click();
    void N8Click();
    // Help file next to the program: KLOV.chm, or on this platform an HTML help.
    static QString helpFile();

protected:
    void showEvent(QShowEvent* e) override;

private:
    void buildMenu();
    bool FFirstShown = false;
    bool FLoggedIn = false;
    TQuery* ADOQ;
    TQuery* ADOQMail;
};
