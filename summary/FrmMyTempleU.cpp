#include "summary/FrmMyTempleU.h"

#include "app/Globals.h"
#include "app/MsgBox.h"
#include "app/UntDM.h"
#include "app/WriteRunner.h"
#include "controls/DBGrid.h"
#include "controls/Widgets.h"
#include "db/Errors.h"
#include "db/Query.h"
#include "summary/FrmUpdMyTempU.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

TFrmMyTemple::TFrmMyTemple(QWidget* parent) : TFrmOBase(parent)
{
    setObjectName(QStringLiteral("TFrmMyTemple"));
    ADOQ = new TQuery(nullptr, this);
    ADOQ->setObjectName(QStringLiteral("ADOQ"));

    QWidget* b = body();
    auto* root = new QVBoxLayout(b);
    root->setContentsMargins(8, 8, 8, 4);
    root->addWidget(widgets::heading(b, QStringLiteral("入院までの経過　個人テンプレート"), QStringLiteral("lblTitle")));

    dbgMei = new TDBGrid(b);
    dbgMei->setObjectName(QStringLiteral("dbgMei"));
    dbgMei->setQuery(ADOQ);
    bbtnAdd = widgets::button(b, QStringLiteral("bbtnAdd"), QStringLiteral("新規登録"));
    bbtnUpd = widgets::button(b, QStringLiteral("bbtnUpd"), QStringLiteral("内容修正"));
    bbtnDel = widgets::button(b, QStringLiteral("bbtnDel"), QStringLiteral("登録削除"));
    auto* side = new QVBoxLayout;
    for (QPushButton* p : {bbtnAdd, bbtnUpd, bbtnDel}) {
        p->setMinimumSize(96, 32);
        side->addWidget(p);
    }
    side->addStretch();
    auto* middle = new QHBoxLayout;
    middle->addWidget(dbgMei, 1);
    middle->addLayout(side);
    root->addLayout(middle, 1);

    bbtnOk = widgets::button(b, QStringLiteral("bbtnOk"), QStringLiteral(" 選 択"));
    bbtnCancel = widgets::button(b, QStringLiteral("bbtnCancel"), QStringLiteral("キャンセル"));
    auto* bottom = new QHBoxLayout;
    bottom->addStretch();
    for (QPushButton* p : {bbtnOk, bbtnCancel}) {
        p->setMinimumSize(96, 32);
        bottom->addWidget(p);
    }
    root->addLayout(bottom);

    connect(bbtnAdd, &QPushButton::clicked, this, &TFrmMyTemple::bbtnAddClick);
    connect(bbtnUpd, &QPushButton::clicked, this, &TFrmMyTemple::bbtnUpdClick);
    connect(bbtnDel, &QPushButton::clicked, this, &TFrmMyTemple::bbtnDelClick);
    connect(bbtnOk, &QPushButton::clicked, this, &TFrmMyTemple::bbtnOkClick);
    connect(dbgMei, &TDBGrid::recordDoubleClicked, this, &TFrmMyTemple::bbtnOkClick);
    connect(bbtnCancel, &QPushButton::clicked, this, &QDialog::reject);

    resize(760, 460);
}

TFrmMyTemple::~TFrmMyTemple() = default;

void TFrmMyTemple::showEvent(QShowEvent* e)
{
    TFrmOBase::showEvent(e);
    if (FShown)
        return;
    FShown = true;
    ADOQ->setConnection(&dm().ADOCPOST);
    dbgMei->setColumns({TGridColumn::fixed(QStringLiteral("№"), QStringLiteral("MTNO"), 38, Qt::AlignRight),
                        TGridColumn::fixed(QStringLiteral("タイトル"), QStringLiteral("MTTITLE"), 120),
                        TGridColumn::rest(QStringLiteral("内容"), QStringLiteral("MTNAIYO"), 200)},
                       22);
    loadList();
    dbgMei->setSortState(QStringLiteral("MTNO"), true);
    dbgMei->setFocus();
}

bool TFrmMyTemple::hasRows() const { return ADOQ->active() && !ADOQ->isEmpty(); }

void TFrmMyTemple::loadList(int mtno)
{
    try {
        // The revision tells a later delete whether the row is still as listed.
        ADOQ->setSql(R"(SELECT T.*, CAST(T."xmin" AS text) AS "ROWVER" FROM "KLOV"."M_MYTEMPLE" T
            WHERE T."USERID" = :USERID ORDER BY T."MTNO")");
        ADOQ->setText(QStringLiteral("USERID"), G().user.userId, 24);
        ADOQ->open();
    } catch (const std::exception& e) {
        ADOQ->close();
        msg::warning(this, errorWarningText(e));
    }
    if (hasRows()) {
        // A list read again keeps the order chosen by the column titles.
        dbgMei->reapplySort(false);
        ADOQ->first();
        if (mtno > 0)
            dbgMei->locate(QStringLiteral("MTNO"), mtno);
    }
    for (QPushButton* p : {bbtnUpd, bbtnDel, bbtnOk})
        p->setEnabled(hasRows());
}

void TFrmMyTemple::edit(int mtno)
{
    TFrmUpdMyTemp dlg(this);
    dlg.FMTNO = mtno;
    const bool saved = dlg.exec() == QDialog::Accepted;
    // Read again whatever the result: the edit may have found the template
    // changed or removed by another workstation.
    loadList(saved ? dlg.FMTNO : mtno);
}

void TFrmMyTemple::bbtnAddClick() { edit(0); }

void TFrmMyTemple::bbtnUpdClick()
{
    if (hasRows())
        edit(ADOQ->field(QStringLiteral("MTNO")).asInteger());
}

void TFrmMyTemple::bbtnDelClick()
{
    if (!hasRows())
        return;
    const int mtno = ADOQ->field(QStringLiteral("MTNO")).asInteger();
    const QString rowver = ADOQ->field(QStringLiteral("ROWVER")).asString();
    if (!msg::question(this, QStringLiteral("「") + ADOQ->field(QStringLiteral("MTTITLE")).asString()
                                 + QStringLiteral("」を削除しますか？")))
        return;
    const TWriteResult r = runWrite(this, [&](TConnection& conn) {
        TQuery q(&conn);
        q.setSql(R"(DELETE FROM "KLOV"."M_MYTEMPLE" WHERE "USERID" = :USERID AND "MTNO" = :MTNO
            AND CAST("xmin" AS text) = :ROWVER)");
        q.setText(QStringLiteral("USERID"), G().user.userId, 24).setInt(QStringLiteral("MTNO"), mtno);
        q.setText(QStringLiteral("ROWVER"), rowver, 0);
        q.execSqlExpect(1);
    });
    if (r == TWriteResult::Done || r == TWriteResult::Conflict)
        loadList(mtno);
}

void TFrmMyTemple::bbtnOkClick()
{
    if (!hasRows() || ADOQ->recNo() < 0)
        return;
    FMTNO = ADOQ->field(QStringLiteral("MTNO")).asInteger();
    accept();
}
