#pragma once
// The version dialog.

#include <QDialog>

class QLabel;
class QPushButton;

class TFrmVer : public QDialog {
    Q_OBJECT
public:
    explicit TFrmVer(QWidget* parent = nullptr);

    QString FstrName;   // product name shown in the box
    QLabel* lblName;
    QLabel* lblVer;
    QLabel* lblMail;
    QPushButton* btnOK;

    static QString versionText() { return QStringLiteral(KLOV_VERSION); }
    // The product name the program shows in this dialog.
    static QString productName() { return QStringLiteral("退院サマリー作成支援システム「ＫＬＯＶ」"); }
    static QString supportMail() { return QStringLiteral("mailto:klov-support@example.jp"); }
    void openMail();

protected:
    void showEvent(QShowEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
};
