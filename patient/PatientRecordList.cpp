#include "patient/PatientRecordList.h"

#include "app/Globals.h"
#include "app/MsgBox.h"
#include "app/Theme.h"
#include "app/UntDM.h"
#include "app/WriteRunner.h"
#include "app/WaitCursor.h"
#include "controls/DBGrid.h"
#include "controls/NumberEdit.h"
#include "controls/Widgets.h"
#include "controls/PlPrev.h"
#include "controls/PlSetPrinter.h"
#include "db/Errors.h"
#include "db/Query.h"
#include "patient/FrmSrcKanjaU.h"
#include "patient/PatientHeader.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>
#include <QToolButton>
#include <QVBoxLayout>

namespace precord {
std::optional<QVariant> editorOutcome(int dialogResult, const QVariant& savedKey)
{
    if (dialogResult == QDialog::Accepted)
        return savedKey;
    if (dialogResult == kReadAgain)
        return QVariant();
    return std::nullopt;
}

} // namespace precord

namespace {
QPushButton* commandButton(QWidget* parent, const QString& name, const QString& caption)
{
    QPushButton* b = widgets::button(parent, name, caption);
    b->setMinimumSize(100, 32);
    return b;
}
} // namespace

// ---------------------------------------------------------------------------
// List form

TFrmPatientRecordList::TFrmPatientRecordList(QWidget* parent) : TFrmOBase(parent)
{
    ADOQ = new TQuery(&dm().ADOCPOST, this);
    ADOQ->setObjectName(QStringLiteral("ADOQ"));
    plSetPrinter1 = new TplSetPrinter(this);
    plSetPrinter1->setObjectName(QStringLiteral("plSetPrinter1"));
    plPrev1 = new TplPrev(this);
    plPrev1->setObjectName(QStringLiteral("plPrev1"));

    QWidget* b = body();
    auto* root = new QVBoxLayout(b);
    root->setContentsMargins(8, 8, 8, 4);

    const TPatientPick pick = newPatientPick(b);
    nedtID = pick.nedtID;
    bbtnIdSrc = pick.bbtnIdSrc;
    header = pick.header;
    cbRireki = new QCheckBox(QStringLiteral("削除・修正した履歴も一覧に表示する"), b);
    cbRireki->setObjectName(QStringLiteral("cbRireki"));
    root->addLayout(pick.layout);
    root->addWidget(cbRireki);

    dbgMei = new TDBGrid(b);
    dbgMei->setObjectName(QStringLiteral("dbgMei"));
    dbgMei->setQuery(ADOQ);
    dbgMei->setRowColors([](const TQuery& q, int recNo, TRowColors& c) {
        if (q.fieldAt(recNo, QStringLiteral("DELKBN")).asInteger() == 1)
            c.background = theme::kSilver;
    });
    root->addWidget(dbgMei, 1);

    auto* buttons = new QHBoxLayout;
    bbtnInsert = commandButton(b, QStringLiteral("bbtnInsert"), QStringLiteral("　登　録"));
    bbtnUpdate = commandButton(b, QStringLiteral("bbtnUpdate"), QStringLiteral("　修　正"));
    bbtnDelete = commandButton(b, QStringLiteral("bbtnDelete"), QStringLiteral("　削　除"));
    bbtnPrint = commandButton(b, QStringLiteral("bbtnPrint"), QStringLiteral("　印　刷"));
    bbtnClose = commandButton(b, QStringLiteral("bbtnClose"), QStringLiteral("　閉じる"));
    for (QPushButton* p : {bbtnInsert, bbtnUpdate, bbtnDelete})
        buttons->addWidget(p);
    buttons->addSpacing(24);
    buttons->addWidget(bbtnPrint);
    buttons->addStretch();
    buttons->addWidget(bbtnClose);
    root->addLayout(buttons);
    bbtnPrint->setEnabled(false);

    connect(nedtID, &TNumberEdit::exited, this, &TFrmPatientRecordList::nedtIDExit);
    connect(bbtnIdSrc, &QToolButton::clicked, this, &TFrmPatientRecordList::bbtnIdSrcClick);
    connect(cbRireki, &QCheckBox::clicked, this, &TFrmPatientRecordList::cbRirekiClick);
    connect(bbtnInsert, &QPushButton::clicked, this, &TFrmPatientRecordList::bbtnInsertClick);
    connect(bbtnUpdate, &QPushButton::clicked, this, &TFrmPatientRecordList::bbtnUpdateClick);
    connect(dbgMei, &TDBGrid::recordDoubleClicked, this, &TFrmPatientRecordList::bbtnUpdateClick);
    connect(bbtnDelete, &QPushButton::clicked, this, &TFrmPatientRecordList::bbtnDeleteClick);
    connect(bbtnPrint, &QPushButton::clicked, this, &TFrmPatientRecordList::bbtnPrintClick);
    connect(bbtnClose, &QPushButton::clicked, this, &QDialog::reject);

    resize(1200, 640);
}

TFrmPatientRecordList::~TFrmPatientRecordList() = default;

void TFrmPatientRecordList::showEvent(QShowEvent* e)
{
    TFrmOBase::showEvent(e);
    if (!FShown) {
        FShown = true;
        FormShow();
    }
}

void TFrmPatientRecordList::FormShow()
{
    FShown = true;
    dbgMei->resetSort();
    nedtID->setAsInt64(FID);
    dbgMei->setColumns(gridColumns(), 22);
    reloadAll();
    nedtID->setFocus();
}

void TFrmPatientRecordList::loadHeader(qint64 id)
{
    try {
        header->load(id);
    } catch (const std::exception& e) {
        header->clear();
        msg::warning(this, errorWarningText(e));
    }
    bbtnPrint->setEnabled(header->found());
}

void TFrmPatientRecordList::reloadAll()
{
    const qint64 id = nedtID->asInt64();
    loadHeader(id);
    openList();
}

void TFrmPatientRecordList::nedtIDExit()
{
    if (nedtID->asInt64() != FListID)
        reloadAll();
}

void TFrmPatientRecordList::bbtnIdSrcClick()
{
    TFrmSrcKanja dlg(this);
    if (dlg.exec() == QDialog::Accepted)
        nedtID->setAsInt64(dlg.FintID);
    reloadAll();
}

void TFrmPatientRecordList::cbRirekiClick() { openList(); }

void TFrmPatientRecordList::applyListSort() { dbgMei->reapplySort(); }

void TFrmPatientRecordList::openList()
{
    FListID = nedtID->asInt64();
    try {
        TWaitCursor wait;
        ADOQ->setSql(listSql(cbRireki->isChecked()));
        ADOQ->setInt64(QStringLiteral("ID"), FListID);
        ADOQ->open();
    } catch (const std::exception& e) {
        ADOQ->close();
        msg::warning(this, errorWarningText(e));
        return;
    }
    applyListSort();
    ADOQ->first();
}

bool TFrmPatientRecordList::currentIsHistory() const
{
    return ADOQ->active() && !ADOQ->isEmpty() && ADOQ->field(QStringLiteral("DELKBN")).asInteger() == 1;
}

void TFrmPatientRecordList::readAgain()
{
    loadHeader(nedtID->asInt64());
    openList();
}

int TFrmPatientRecordList::runModal(TFrmPatientRecordEdit& dlg)
{
    dlg.FormShow();
    if (dlg.recordGone()) {
        msg::warning(this, kConflictMessage);
        return precord::kReadAgain;
    }
    connect(&dlg, &TFrmPatientRecordEdit::readAgain, this, &TFrmPatientRecordList::readAgain);
    return dlg.exec();
}

void TFrmPatientRecordList::afterSave(const QVariant& key)
{
    readAgain();
    dbgMei->locate(locateField(), key);
}

void TFrmPatientRecordList::bbtnInsertClick()
{
    const qint64 id = nedtID->asInt64();
    if (id == 0) {
        msg::warning(this, QStringLiteral("患者ID未入力です。"));
        nedtID->setFocus();
        return;
    }
    if (!header->found() || header->patientId() != id) {
        msg::warning(this, QStringLiteral("不正な患者IDです。"));
        nedtID->setFocus();
        return;
    }
    if (const auto key = runEditor(id, true))
        afterSave(*key);
}

void TFrmPatientRecordList::bbtnUpdateClick()
{
    if (!ADOQ->active() || ADOQ->isEmpty())
        return;
    if (currentIsHistory()) {
        msg::information(this, QStringLiteral("履歴情報は修正できません。"));
        return;
    }
    if (const auto key = runEditor(nedtID->asInt64(), false))
        afterSave(*key);
}

void TFrmPatientRecordList::bbtnDeleteClick()
{
    if (!ADOQ->active() || ADOQ->isEmpty())
        return;
    if (currentIsHistory()) {
        msg::information(this, QStringLiteral("履歴情報は削除できません。"));
        return;
    }
    try {
        if (!deleteAllowed())
            return;
        if (!msg::question(this, deleteQuestion()))
            return;
    } catch (const std::exception& e) {
        msg::warning(this, errorWarningText(e));
        return;
    }
    const TWriteResult r = runWrite(this, [this](TConnection& conn) { deleteCurrent(conn); });
    if (r == TWriteResult::Done || r == TWriteResult::Conflict)
        readAgain();
}

void TFrmPatientRecordList::bbtnPrintClick()
{
    bool drawn = false;
    try {
        drawn = drawPrint(nedtID->asInt64());
    } catch (const std::exception& e) {
        msg::warning(this, errorWarningText(e));
        return;
    }
    if (drawn)
        plPrev1->ShowModal();
}

// ---------------------------------------------------------------------------
// Edit form

TFrmPatientRecordEdit::TFrmPatientRecordEdit(QWidget* parent) : TFrmOBase(parent)
{
    QWidget* b = body();
    auto* root = new QVBoxLayout(b);
    root->setContentsMargins(10, 8, 10, 6);

    auto* top = new QHBoxLayout;
    auto* cap = new QLabel(QStringLiteral("患者ID"), b);
    lblID = new QLabel(b);
    lblID->setObjectName(QStringLiteral("lblID"));
    lblID->setFrameShape(QFrame::Panel);
    lblID->setFrameShadow(QFrame::Sunken);
    lblID->setMinimumWidth(100);
    lblID->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    header = new TPatientHeader(b);
    auto* idBox = new QVBoxLayout;
    auto* idRow = new QHBoxLayout;
    idRow->addWidget(cap);
    idRow->addWidget(lblID);
    idBox->addLayout(idRow);
    idBox->addStretch();
    top->addLayout(idBox);
    top->addWidget(header, 1);
    root->addLayout(top);

    FArea = new QWidget(b);
    FArea->setObjectName(QStringLiteral("pnlRecord"));
    root->addWidget(FArea, 1);

    auto* buttons = new QHBoxLayout;
    bbtnInsert = commandButton(b, QStringLiteral("bbtnInsert"), QStringLiteral("　登　録"));
    bbtnClose = commandButton(b, QStringLiteral("bbtnClose"), QStringLiteral("　閉じる"));
    buttons->addStretch();
    buttons->addWidget(bbtnInsert);
    buttons->addWidget(bbtnClose);
    root->addLayout(buttons);

    connect(bbtnInsert, &QPushButton::clicked, this, &TFrmPatientRecordEdit::bbtnInsertClick);
    connect(bbtnClose, &QPushButton::clicked, this, &QDialog::reject);
}

void TFrmPatientRecordEdit::showEvent(QShowEvent* e)
{
    TFrmOBase::showEvent(e);
    if (!FShown)
        FormShow();
}

void TFrmPatientRecordEdit::FormShow()
{
    FShown = true;
    bbtnInsert->setText(isNewRecord() ? QStringLiteral("　登　録") : QStringLiteral("　修　正"));
    lblID->setText(QString::number(FID));
    FGone = false;
    try {
        header->load(FID);
        FGone = !loadRecord() && !isNewRecord();
    } catch (const std::exception& e) {
        msg::warning(this, errorWarningText(e));
    }
}

void TFrmPatientRecordEdit::bbtnInsertClick()
{
    commitPendingInput();
    try {
        if (!isNewRecord()) {
            if (!isChanged()) {
                msg::information(this, QStringLiteral("変更された項目がありません。"));
                return;
            }
            if (!confirmChange())
                return;
        }
        if (!validate())
            return;
    } catch (const std::exception& e) {
        msg::warning(this, errorWarningText(e));
        return;
    }

    switch (runWrite(this, [this](TConnection& conn) { saveRows(conn); })) {
    case TWriteResult::Done:
        commitNumbers();
        accept();
        break;
    case TWriteResult::Conflict:
        if (conflictKeepsInput()) {
            Q_EMIT readAgain();
            break;
        }
        // The record is not as this form read it: the list reads it again.
        done(precord::kReadAgain);
        break;
    default:
        break;
    }
}

QGridLayout* TFrmPatientRecordEdit::recordGrid()
{
    if (!FGrid) {
        FGrid = new QGridLayout(FArea);
        FGrid->setContentsMargins(0, 10, 0, 6);
        FGrid->setVerticalSpacing(8);
    }
    return FGrid;
}
