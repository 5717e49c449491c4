#pragma once
// Writing one personal template of the logged-in user: a new one, or a
// change of an existing one.

#include "app/FrmOBaseU.h"

class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QShowEvent;

class TFrmUpdMyTemp : public TFrmOBase {
    Q_OBJECT
public:
    explicit TFrmUpdMyTemp(QWidget* parent = nullptr);
    ~TFrmUpdMyTemp() override;

    // Set by the caller: the template to change, 0 for a new one; after a
    // save, the number of the saved template.
    int FMTNO = 0;

    QLineEdit* edtMTTITLE;
    QPlainTextEdit* memMTNAIYO;
    QPushButton* bbtnInsert;
    QPushButton* bbtnClose;

    // Shows the stored template FMTNO (and remembers its revision).
    void loadRecord();
    // After a save refused because another workstation changed or removed
    // the template: the typed title and content stay; a changed template
    // takes them with the next save, a removed one makes it a new template.
    void rereadAfterConflict();
    void bbtnInsertClick();

protected:
    void showEvent(QShowEvent* e) override;

private:
    // Reads the stored template FMTNO and its revision; an error reading it
    // is shown here.
    enum class TRead { Found, Removed, Failed };
    TRead readRecord(QString& title, QString& naiyo);

    bool FShown = false;
    // The template's revision as shown (its xmin); empty when none was found.
    QString FROWVER;
};
