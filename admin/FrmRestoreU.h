#pragma once
// Replaces the database with the contents of an archive made by pg_dump.

#include "admin/PgTools.h"

class TFrmRestore : public TFrmPgTool {
    Q_OBJECT
public:
    explicit TFrmRestore(QWidget* parent = nullptr);

    QLineEdit* edtBackFile;
    QToolButton* SpeedButton1;

    void SpeedButton1Click();

protected:
    bool checkTarget() override;
    QString runQuestion() const override;
    void run() override;

private:
    void checkWhole();
    void refuse(const TToolResult& r);
    void load();
    void restoreEnded(const TToolResult& r);
    QString file() const;
};
