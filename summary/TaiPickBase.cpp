#include "summary/TaiPickBase.h"

#include "app/Globals.h"
#include "app/MsgBox.h"
#include "app/Theme.h"
#include "app/UntDM.h"
#include "app/WaitCursor.h"
#include "app/WriteRunner.h"
#include "controls/DBGrid.h"
#include "controls/Widgets.h"
#include "db/Errors.h"
#include "db/Numbers.h"
#include "db/Query.h"
#include "db/Records.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

namespace {
// The dialog's result when the version changed under it.
constexpr int kVersionChanged = 2;
} // namespace

TFrmTaiPickBase::TFrmTaiPickBase(QWidget* parent, const QString& title, const QString& allText) : TFrmOBase(parent)
{
    setWindowTitle(title);
    ADOQMei = new TQuery(&dm().ADOCPOST, this);
    ADOQMei->setObjectName(QStringLiteral("ADOQMei"));
    ADOQ = new TQuery(&dm().ADOCPOST, this);
    ADOQ->setObjectName(QStringLiteral("ADOQ"));

    auto* root = new QVBoxLayout(body());
    root->setContentsMargins(6, 6, 6, 4);
    dbgMei = new TDBGrid(body());
    dbgMei->setObjectName(QStringLiteral("dbgMei"));
    dbgMei->setQuery(ADOQMei);
    dbgMei->setRowColors([this](const TQuery&, int recNo, TRowColors& c) {
        // Rows on the version already stay silver, selected or not.
        if (attached(recNo))
            c.background = c.selectedBackground = theme::kSilver;
    });
    root->addWidget(dbgMei, 1);

    FBottom = new QHBoxLayout;
    cbAllDisp = new QCheckBox(allText, body());
    cbAllDisp->setObjectName(QStringLiteral("cbAllDisp"));
    bbtnUpdate = widgets::button(body(), QStringLiteral("bbtnUpdate"), QStringLiteral("　登　録"),
                                 QStringLiteral("新規登録します。"));
    bbtnClose = widgets::button(body(), QStringLiteral("bbtnClose"), QStringLiteral("閉じる"),
                                QStringLiteral("処理を終了します。"));
    for (QPushButton* b : {bbtnUpdate, bbtnClose})
        b->setMinimumSize(96, 32);
    FBottom->addSpacing(12);
    FBottom->addWidget(cbAllDisp);
    FBottom->addStretch(1);
    FBottom->addWidget(bbtnUpdate);
    FBottom->addWidget(bbtnClose);
    root->addLayout(FBottom);

    connect(cbAllDisp, &QCheckBox::toggled, this, [this] { openList(); });
    connect(dbgMei, &TDBGrid::currentRecordChanged, this, &TFrmTaiPickBase::updateButton);
    connect(bbtnUpdate, &QPushButton::clicked, this, &TFrmTaiPickBase::bbtnUpdateClick);
    connect(bbtnClose, &QPushButton::clicked, this, &QDialog::reject);
    resize(1000, 520);
}

TPickResult TFrmTaiPickBase::run(qint64 id, int kno, int verno, TVersionCheck requireVersion)
{
    FID = id;
    FKNO = kno;
    FVERNO = verno;
    FRequireVersion = std::move(requireVersion);
    const int r = exec();
    return r == QDialog::Accepted ? TPickResult::Attached
         : r == kVersionChanged   ? TPickResult::VersionChanged
                                  : TPickResult::Closed;
}

void TFrmTaiPickBase::showEvent(QShowEvent* e)
{
    TFrmOBase::showEvent(e);
    if (!FShown)
        FormShow();
}

void TFrmTaiPickBase::FormShow()
{
    FShown = true;
    prepare();
    readPeriod();
    dbgMei->setColumns(gridColumns(), 22);
    dbgMei->resetSort();
    openList();
    dbgMei->applyWidths();
    focusFirst();
}

void TFrmTaiPickBase::readPeriod()
{
    FNDTE = FTDTE = QDate();
    try {
        ADOQ->setSql(R"(SELECT * FROM "KLOV"."D_TAIYOU" WHERE "KNO" = :KNO AND "VERNO" = :VERNO)");
        ADOQ->setInt("KNO", FKNO).setInt("VERNO", FVERNO);
        ADOQ->open();
        if (!ADOQ->eof()) {
            const auto date = [this](const char* name) {
                const TField f = ADOQ->field(QString::fromLatin1(name));
                return f.isNull() ? rec::kZeroDate : f.asDate();
            };
            FNDTE = date("NDTE");
            FTDTE = date("TDTE");
        }
        ADOQ->close();
    } catch (const std::exception& e) {
        ADOQ->close();
        msg::warning(this, errorWarningText(e));
    }
    if (rec::isAbsentDate(FTDTE))
        FTDTE = openEnd();
}

void TFrmTaiPickBase::openList(const QVariant& key)
{
    try {
        TWaitCursor wait;
        ADOQMei->setSql(listSql(cbAllDisp->isChecked()));
        bindList(*ADOQMei);
        ADOQMei->open();
    } catch (const std::exception& e) {
        ADOQMei->close();
        msg::warning(this, errorWarningText(e));
    }
    dbgMei->reapplySort();
    if (!(key.isValid() && dbgMei->locate(keyField(), key)) && ADOQMei->active())
        ADOQMei->first();
    updateButton();
}

void TFrmTaiPickBase::updateButton()
{
    const bool row = ADOQMei->active() && ADOQMei->recNo() >= 0;
    bbtnUpdate->setEnabled(!row || !attached(ADOQMei->recNo()));
}

void TFrmTaiPickBase::bbtnUpdateClick()
{
    if (!ADOQMei->active())
        return;
    if (ADOQMei->isEmpty()) {
        msg::warning(this, emptyMessage());
        return;
    }
    if (ADOQMei->recNo() < 0)
        return;
    if (attached(ADOQMei->recNo())) {
        msg::warning(this, attachedMessage());
        return;
    }
    if (!checkInput())
        return;

    QString refusal;
    bool versionChanged = false;
    const TWriteResult r = runWrite(this, [&](TConnection& conn) {
        // Every writer of the version's lists holds its lock, so the checks
        // below see the lists as the insert leaves them.
        lockScope(conn, numbers::versionScope(FKNO, FVERNO));
        if (FRequireVersion) {
            try {
                FRequireVersion(conn);
            } catch (const EConflictError&) {
                versionChanged = true;
                throw;
            }
        }
        refusal = attachCurrent(conn);
    });
    switch (r) {
    case TWriteResult::Done:
        if (refusal.isEmpty())
            accept();
        else
            msg::warning(this, refusal);
        break;
    case TWriteResult::Conflict:
        if (versionChanged)
            done(kVersionChanged);
        else   // what the other workstation attached shows now, on the row the user chose
            openList(ADOQMei->field(keyField()).asVariant());
        break;
    default:
        break;
    }
}
