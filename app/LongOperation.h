#pragma once
// Long operations: a list of many rows, an export, an import. While one
// runs, its statements wait for their answers with the window still
// drawing. Once it has taken half a second the shared progress window
// (FrmProgress) appears, modal, with what is being done, how far it has
// come and a 中止 button; 中止 cancels the statement running on the server
// and stops the operation at its next step, both with ECancelled.
//
// While the operation lets events run, its connection refuses any other
// statement (EConnectionBusy), so nothing started by a timer or a late
// click can run in the middle of it; until the window appears, clicks and
// keys wait for the operation's end.

#include "db/Connection.h"

#include <QDialog>
#include <QElapsedTimer>
#include <QString>
#include <functional>
#include <memory>

class QLabel;
class QProgressBar;
class QPushButton;

// The progress window itself.
class TFrmProgress : public QDialog {
    Q_OBJECT
public:
    explicit TFrmProgress(QWidget* parent);

    QLabel* lblProgress;
    QProgressBar* pbProgress;
    QPushButton* btnCancel;   // 中止

    // Set once 中止 was pressed or the window was closed.
    bool cancelRequested() const { return FCancel; }

protected:
    void reject() override;

private:
    bool FCancel = false;
};

class TLongOperation : private TStatementWaiter {
public:
    // `label` says what is being done; `total` is the count of steps to
    // come (0: none known, the bar only shows that work goes on). The
    // statements of the shared connection (or of `conn`) wait through the
    // operation while it lives.
    TLongOperation(QWidget* parent, const QString& label, int total = 0, TConnection* conn = nullptr);
    ~TLongOperation() override;
    TLongOperation(const TLongOperation&) = delete;
    TLongOperation& operator=(const TLongOperation&) = delete;

    // A new stage of the same operation: its text and count.
    void setStage(const QString& label, int total);
    // `done` steps of the stage are done: shows it now and then and lets the
    // window handle its events; ECancelled once 中止 was pressed.
    void step(int done);

    bool cancelled() const;
    // Whether the progress window has appeared.
    bool dialogShown() const { return bool(FDialog); }
    TFrmProgress* dialog() const { return FDialog.get(); }

    static constexpr int kShowAfterMs = 500;

private:
    bool wait(int socket) override;
    // Updates the window (showing it when the time has come) and handles
    // the pending events with the connection held.
    void pump();

    QWidget* FParent;
    TConnection& FConn;
    TStatementWaiter* FPrevious;
    std::unique_ptr<TFrmProgress> FDialog;
    QElapsedTimer FClock;
    qint64 FLastPump = -1;
    QString FLabel;
    int FTotal = 0;
    int FDone = 0;
};

// Runs `work` as a long operation on the shared connection. True when it
// ran to its end; false when the user stopped it (nothing is said: nothing
// was changed) or when it failed (the error is shown once the progress
// window is gone).
bool runLong(QWidget* parent, const QString& label, const std::function<void(TLongOperation&)>& work);
