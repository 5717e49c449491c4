#pragma once
// Saves the whole database to an archive file with pg_dump.

#include "admin/PgTools.h"

class TFrmBackUp : public TFrmPgTool {
    Q_OBJECT
public:
    explicit TFrmBackUp(QWidget* parent = nullptr);

    QLineEdit* edtOutPath;
    QToolButton* spbOutPath;
    // The file of the last run and the error log saved for it.
    QString FBackupFile;
    QString FErrLogFile;

    void spbOutPathClick();

protected:
    void loadTarget() override;
    void saveTarget() override;
    bool checkTarget() override;
    QString runQuestion() const override;
    void run() override;

private:
    void toolEnded(const TToolResult& r);
    void checksumDone(const THashResult& h);
    QString folder() const;
};
