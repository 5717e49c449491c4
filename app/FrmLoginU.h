#pragma once
// Login: opens the connection, then identifies the user against M_USER.

#include <QDialog>

class QLineEdit;
class QPushButton;
class TQuery;

class TFrmLogin : public QDialog {
    Q_OBJECT
public:
    explicit TFrmLogin(QWidget* parent = nullptr);
    ~TFrmLogin() override;

    QLineEdit* edtUser;
    QLineEdit* edtPass;
    QPushButton* Button1;
    QPushButton* Button2;

    // The connect step: true when the connection is open. On failure the
    // configuration is emptied and the warning shown.
    bool ConnectDb();
    void Button1Click();

    int attempts() const { return FintCnt; }
    // Set when the connect step failed: the program is to end.
    bool terminateRequested() const { return FTerminate; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* e) override;

private:
    int FintCnt = 0;
    bool FTerminate = false;
    bool FConnected = false;
    TQuery* ADOQ;
};
