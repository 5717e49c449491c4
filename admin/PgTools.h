#pragma once
// What the backup and restore forms share: the PostgreSQL password file, the
// command lines of pg_dump and pg_restore, the checksum beside each backup,
// and the base form with the connection fields, their klov.ini keys, the
// checks before a run and the tool running beside the user interface under
// a watchdog.

#include "app/FrmOBaseU.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

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
// Drop and load in one transaction that any error rolls back whole; objects
// the database lacks are not dropped (an empty or partly damaged database).
QStringList restoreArguments(const TConnParams& p, const QString& file, bool oldServer);
QStringList listArguments(const QString& file);
// Reads the whole archive, data included, and writes nothing anywhere: a cut
// or damaged archive fails (or stops making progress) here.
QStringList readArguments(const QString& file);
// folder + "/KLOV" + yyyyMMddhhmmss + ".backup"
QString backupFileName(const QString& folder, const QDateTime& serverTime);
// True when the table of contents printed by pg_restore --list holds this
// program's schema.
bool listHoldsKlov(const QString& listing);

// The checksum written beside each backup: the archive's path + ".sha256",
// one line as sha256sum writes it: 64 lower-case hex digits, two blanks, the
// archive's file name.
QString checksumFileName(const QString& archive);
QByteArray checksumLine(const QByteArray& sha256, const QString& archive);
// The SHA-256 a checksum file states; empty when there is none or the file
// does not hold one.
QByteArray readChecksum(const QString& checksumFile);
// What the tool has read and written so far (its /proc io counters); -1
// when that cannot be read.
qint64 processIo(qint64 pid);

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
    // A tool that neither reads, writes, prints nor has the server working
    // for it for this long is stopped (tests shorten it).
    static constexpr int kStallSeconds = 60;
    int FStallSeconds = kStallSeconds;

    void FormShow();
    void bbtnParamSaveClick();
    void bbtnBackUpClick();
    void bbtnCancelClick();
    void epbExePathClick();
    bool running() const;
    ~TFrmPgTool() override;
    pgtools::TConnParams params() const;

protected:
    // tool: "pg_dump" or "pg_restore"; exeKey: its klov.ini key.
    TFrmPgTool(QWidget* parent, const QString& objectName, const QString& caption,
               const QString& tool, const QString& exeKey);

    struct TToolResult {
        bool started = false;
        bool ok = false;        // ended by itself with exit code 0
        bool cancelled = false; // the user pressed 中止
        bool stalled = false;   // stopped for making no progress
        QString holders;        // whose connections it was waiting for then
        QString output;         // what it printed, stdout and stderr together
    };
    // Starts the tool; `done` runs once it has ended. The run button stays
    // disabled and the form stays open until endRun().
    void startTool(const QStringList& arguments, std::function<void(const TToolResult&)> done);
    void endRun();
    // "pg_restoreが60秒間進まないため停止しました。" and, when it was waiting
    // for another workstation, whose connection that was.
    QString stallText(const TToolResult& r) const;

    struct THashResult {
        bool ok = false;
        bool cancelled = false;
        QByteArray sha256;
        QString error;
    };
    // Computes the file's SHA-256 a piece at a time beside the user
    // interface; 中止 stops it. `done` runs once it has ended.
    void hashFile(const QString& path, std::function<void(const THashResult&)> done);
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
    // Every second while a tool runs: the wait report and the watchdog.
    void pollTool();
    // Stops the tool: its server session first, then the process.
    void stopTool(bool stalled);
    void toolFinished(QProcess* proc, bool started);
    void completeTool();
    // Ends every server session of the tool; returns how many were still
    // there (0 also when they cannot be seen from this connection).
    int endSessions();
    void hashStep();

    QProcess* FProc = nullptr;
    std::function<void(const TToolResult&)> FDone;
    QString FOutput;
    bool FStarted = false;
    QTimer* FPoll;
    QString FAppName;
    // Set once the tool is being stopped, by 中止 or by the watchdog.
    bool FStopping = false;
    bool FCancelled = false;
    bool FStalled = false;
    QString FHolders;
    // The tool has ended; its server sessions are not gone yet.
    bool FEnding = false;
    int FEndTries = 0;
    // The watchdog: what was seen last and since when nothing moved.
    qint64 FSeenIo = -1;
    qsizetype FSeenOutput = 0;
    QElapsedTimer FQuiet;

    struct THashRun;
    std::unique_ptr<THashRun> FHash;
    bool FShown = false;
    QString FExeKey;
};
