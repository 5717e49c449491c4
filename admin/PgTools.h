#pragma once
// What the backup and restore forms share: the PostgreSQL password file, the
// command lines of pg_dump and pg_restore, and the base form with the
// connection fields, their klov.ini keys, the checks before a run and the
// tool running beside the user interface.

#include "app/FrmOBaseU.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <functional>

class QCheckBox;
class QGridLayout;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QProcess;
class QPushButton;
class QTimer;
class QToolButton;

namespace pgtools {

// The connection the tools use, every value trimmed.
struct TConnParams {
    QString server, port, db, user, pass;
};

// A value of a password-file entry with ":" and "\" escaped as libpq reads it.
QString escapePgpass(const QString& value);
// "server:port:database:user:password", each value escaped.
QString pgpassEntry(const TConnParams& p);
// ~/.pgpass
QString defaultPgpassPath();
// Makes the entry of `p` the one libpq takes for its server, port, database
// and user (libpq takes the first line that matches): nothing changes when it
// already is; otherwise the entry goes in front of the others, which are kept.
// The file is written owner-only, as libpq requires. Returns why it could not
// be written, empty on success.
QString ensurePgpassEntry(const QString& path, const TConnParams& p);

// oldServer: PostgreSQL 9.2 or older (custom archive); else a tar archive.
// The password never appears: the tools read it from the password file.
QStringList backupArguments(const TConnParams& p, const QString& file, bool oldServer);
// Drop and load in one transaction that any error rolls back whole.
QStringList restoreArguments(const TConnParams& p, const QString& file, bool oldServer);
QStringList listArguments(const QString& file);
// folder + "/KLOV" + yyyyMMddhhmmss + ".backup"
QString backupFileName(const QString& folder, const QDateTime& serverTime);
// True when the table of contents printed by pg_restore --list holds this
// program's schema.
bool listHoldsKlov(const QString& listing);

} // namespace pgtools

// The base of TFrmBackUp and TFrmRestore.
class TFrmPgTool : public TFrmOBase {
    Q_OBJECT
public:
    QLineEdit* edtServer;
    QLineEdit* edtDb;
    QLineEdit* edtPort;
    QLineEdit* edtUser;
    QLineEdit* edtPass;
    QLineEdit* edtExePath;
    QToolButton* epbExePath;
    QCheckBox* cbPostVer;
    QPushButton* bbtnParamSave;
    QPushButton* bbtnBackUp;
    QPushButton* bbtnCancel;
    QPushButton* bbtnClose;
    QLabel* lblStatus;
    QPlainTextEdit* memLog;

    // The password file the tools read (tests point it elsewhere).
    QString FPassFile = pgtools::defaultPgpassPath();
    // What the last run of a tool printed.
    QStringList FslErrLog;
    // The arguments the last tool was started with.
    QStringList FLastArguments;

    void FormShow();
    void bbtnParamSaveClick();
    void bbtnBackUpClick();
    void bbtnCancelClick();
    void epbExePathClick();
    bool running() const;
    pgtools::TConnParams params() const;

protected:
    // tool: "pg_dump" or "pg_restore"; exeKey: its klov.ini key.
    TFrmPgTool(QWidget* parent, const QString& objectName, const QString& caption,
               const QString& tool, const QString& exeKey);

    struct TToolResult {
        bool started = false;
        bool ok = false;        // ended by itself with exit code 0
        bool cancelled = false; // the user pressed 中止
        QString output;         // what it printed, stdout and stderr together
    };
    // Starts the tool; `done` runs once it has ended. The run button stays
    // disabled and the form stays open until endRun().
    void startTool(const QStringList& arguments, std::function<void(const TToolResult&)> done);
    void endRun();
    // What the tool said about its failure (from its first error on), or its
    // last lines, for a message.
    static QString toolMessages(const QString& output);
    // A caption line, then an edit with its browse button, in FGrid.
    QLineEdit* addPathRow(const QString& caption, const QString& editName, const QString& buttonName,
                          QToolButton*& button);

    QGridLayout* FGrid;   // derived forms add their rows from FNextRow on
    int FNextRow = 0;
    QString FTool;

    virtual void loadTarget() {}
    virtual void saveTarget() {}
    // The form's own last check (folder or file); focuses and warns itself.
    virtual bool checkTarget() = 0;
    virtual QString runQuestion() const = 0;
    virtual void run() = 0;

    void showEvent(QShowEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void reject() override;

private:
    void pollWait();
    void terminateBackend();

    QProcess* FProc = nullptr;
    QTimer* FPoll;
    QString FAppName;
    bool FCancelled = false;
    bool FShown = false;
    QString FExeKey;
};
