#include "app/LongOperation.h"

#include "app/Globals.h"
#include "app/MsgBox.h"
#include "app/UntDM.h"
#include "db/Errors.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cerrno>
#include <poll.h>

namespace {
// How long a statement's wait sleeps on the socket between two rounds of
// events, and how often the steps of an operation let events run.
constexpr int kWaitSliceMs = 20;
constexpr int kPumpEveryMs = 25;
} // namespace

TFrmProgress::TFrmProgress(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FrmProgress"));
    setWindowTitle(msg::kCaption);
    setWindowModality(Qt::ApplicationModal);
    setWindowFlags((windowFlags() | Qt::CustomizeWindowHint | Qt::WindowTitleHint) & ~Qt::WindowContextHelpButtonHint);
    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(16, 14, 16, 12);
    lblProgress = new QLabel(this);
    lblProgress->setObjectName(QStringLiteral("lblProgress"));
    pbProgress = new QProgressBar(this);
    pbProgress->setObjectName(QStringLiteral("pbProgress"));
    pbProgress->setMinimumWidth(340);
    btnCancel = new QPushButton(QStringLiteral("中止"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    btnCancel->setMinimumSize(96, 28);
    root->addWidget(lblProgress);
    root->addWidget(pbProgress);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnCancel);
    buttons->addStretch();
    root->addLayout(buttons);
    connect(btnCancel, &QPushButton::clicked, this, &TFrmProgress::reject);
}

void TFrmProgress::reject()
{
    // The window stays until the operation has stopped.
    FCancel = true;
    btnCancel->setEnabled(false);
    lblProgress->setText(QStringLiteral("中止しています…"));
}

TLongOperation::TLongOperation(QWidget* parent, const QString& label, int total, TConnection* conn)
    : FParent(parent), FConn(conn ? *conn : dm().ADOCPOST), FLabel(label), FTotal(total)
{
    FPrevious = FConn.setWaiter(this);
    FClock.start();
    QApplication::setOverrideCursor(Qt::WaitCursor);
}

TLongOperation::~TLongOperation()
{
    FConn.setWaiter(FPrevious);
    QApplication::restoreOverrideCursor();
    if (FDialog)
        FDialog->hide();
}

void TLongOperation::setStage(const QString& label, int total)
{
    FLabel = label;
    FTotal = total;
    FDone = 0;
    if (FDialog && !FDialog->cancelRequested()) {
        FDialog->lblProgress->setText(FLabel);
        FDialog->pbProgress->setRange(0, qMax(0, FTotal));
        FDialog->pbProgress->setValue(0);
    }
}

bool TLongOperation::cancelled() const { return FDialog && FDialog->cancelRequested(); }

void TLongOperation::step(int done)
{
    FDone = done;
    const qint64 now = FClock.elapsed();
    if (FLastPump < 0 || now - FLastPump >= kPumpEveryMs)
        pump();
    if (cancelled())
        throw ECancelled();
}

bool TLongOperation::wait(int socket)
{
    pollfd p{socket, POLLIN, 0};
    while (::poll(&p, 1, kWaitSliceMs) < 0 && errno == EINTR) {
    }
    // A result arrives in many small reads: events run every so often, not
    // after each one, so a short statement costs no more than its own time.
    if (FClock.elapsed() - std::max<qint64>(FLastPump, 0) >= kPumpEveryMs)
        pump();
    return cancelled();
}

void TLongOperation::pump()
{
    FLastPump = FClock.elapsed();
    if (!FDialog && FLastPump >= kShowAfterMs) {
        FDialog = std::make_unique<TFrmProgress>(FParent);
        FDialog->lblProgress->setText(FLabel);
        FDialog->pbProgress->setRange(0, qMax(0, FTotal));
        FDialog->show();
        // The window takes clicks now; the rest of the program is behind it.
        QApplication::changeOverrideCursor(Qt::BusyCursor);
    }
    if (FDialog && FTotal > 0)
        FDialog->pbProgress->setValue(qBound(0, FDone, FTotal));
    TConnection::THold hold(FConn);
    QCoreApplication::processEvents(FDialog ? QEventLoop::AllEvents : QEventLoop::ExcludeUserInputEvents);
}

bool runLong(QWidget* parent, const QString& label, const std::function<void(TLongOperation&)>& work)
{
    try {
        TLongOperation op(parent, label);
        work(op);
        return true;
    } catch (const ECancelled&) {
        return false;
    } catch (const std::exception& e) {
        msg::warning(parent, errorWarningText(e));
        return false;
    }
}
