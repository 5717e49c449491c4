#pragma once
// First-run dialog: the data source name and the database password.

#include <QDialog>

class QLineEdit;
class QPushButton;

class TFrmDBSetting : public QDialog {
    Q_OBJECT
public:
    explicit TFrmDBSetting(QWidget* parent = nullptr);

    QString FSource;
    QString FPass;

    QLineEdit* edtSource;
    QLineEdit* edtPass;
    QPushButton* Button1;
    QPushButton* Button2;

    void Button1Click();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* e) override;
};
