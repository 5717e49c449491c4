#pragma once
// The lines the patient import rejected, shown and saved as a text file.

#include "app/FrmOBaseU.h"

#include <QStringList>
#include <functional>

class QPlainTextEdit;
class QPushButton;

class TFrmDspErrLog : public TFrmOBase {
    Q_OBJECT
public:
    explicit TFrmDspErrLog(QWidget* parent = nullptr);

    // Filled by the opener before the form is shown.
    QStringList FslErrLog;

    QPlainTextEdit* memErrLog;
    QPushButton* bbtnLogSave;
    QPushButton* bbtnClose;

    // Asks where to save the log; empty when cancelled. Tests answer it.
    std::function<QString(QWidget*)> FAskSaveFile;

    void bbtnLogSaveClick();

protected:
    void showEvent(QShowEvent* e) override;
};
