#include "messages/FrmMailMainU.h"

#include "app/TextUtil.h"
#include "app/Globals.h"
#include "app/MsgBox.h"
#include "app/Theme.h"
#include "app/UntDM.h"
#include "app/WaitCursor.h"
#include "app/WriteRunner.h"
#include "controls/DBGrid.h"
#include "controls/Widgets.h"
#include "db/Errors.h"
#include "db/Query.h"
#include "db/Records.h"
#include "messages/FrmReadMessU.h"
#include "messages/FrmUpdMessU.h"
#include "messages/MessShared.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QVBoxLayout>

TFrmMailMain::TFrmMailMain(QWidget* parent) : TFrmOBase(parent)
{
    setObjectName(QStringLiteral("TFrmMailMain"));
    setWindowTitle(QStringLiteral("連絡用メッセージ一覧"));
    ADOQMei = new TQuery(&dm().ADOCPOST, this);
    ADOQMei->setObjectName(QStringLiteral("ADOQMei"));
    ADOQ = new TQuery(&dm().ADOCPOST, this);
    ADOQ->setObjectName(QStringLiteral("ADOQ"));

    QWidget* b = body();
    auto* root = new QVBoxLayout(b);
    root->setContentsMargins(8, 6, 8, 4);

    auto* top = new QHBoxLayout;
    lblUserNm = widgets::valueLabel(b, QStringLiteral("lblUserNm"), 160);
    lblJTyp = widgets::valueLabel(b, QStringLiteral("lblJTyp"), 60);
    top->addWidget(widgets::caption(b, QStringLiteral("利用者")));
    top->addWidget(lblUserNm);
    top->addWidget(lblJTyp);
    top->addSpacing(16);
    rgRS = new QGroupBox(b);
    rgRS->setObjectName(QStringLiteral("rgRS"));
    auto* rs = new QHBoxLayout(rgRS);
    rs->setContentsMargins(8, 2, 8, 2);
    rbRecv = new QRadioButton(QStringLiteral("受信メッセージ"), rgRS);
    rbRecv->setObjectName(QStringLiteral("rbRecv"));
    rbSend = new QRadioButton(QStringLiteral("送信メッセージ"), rgRS);
    rbSend->setObjectName(QStringLiteral("rbSend"));
    rbRecv->setChecked(true);
    rs->addWidget(rbRecv);
    rs->addWidget(rbSend);
    top->addWidget(rgRS);
    cbMidoku = new QCheckBox(QStringLiteral("未読のみ表示"), b);
    cbMidoku->setObjectName(QStringLiteral("cbMidoku"));
    top->addWidget(cbMidoku);
    top->addStretch();
    root->addLayout(top);

    auto* filter = new QHBoxLayout;
    edtKENMEI = new QLineEdit(b);
    edtKENMEI->setObjectName(QStringLiteral("edtKENMEI"));
    edtNAIYO = new QLineEdit(b);
    edtNAIYO->setObjectName(QStringLiteral("edtNAIYO"));
    for (QLineEdit* e : {edtKENMEI, edtNAIYO})
        e->setMinimumWidth(200);
    bbtnSrc = widgets::button(b, QStringLiteral("bbtnSrc"), QStringLiteral("抽出"));
    filter->addWidget(widgets::caption(b, QStringLiteral("件名")));
    filter->addWidget(edtKENMEI);
    filter->addWidget(widgets::caption(b, QStringLiteral("内容")));
    filter->addWidget(edtNAIYO);
    filter->addWidget(bbtnSrc);
    filter->addWidget(widgets::label(b, QStringLiteral("※指定した文字列を含むメッセージを検索します")));
    filter->addStretch();
    root->addLayout(filter);

    dbgMei = new TDBGrid(b);
    dbgMei->setObjectName(QStringLiteral("dbgMei"));
    dbgMei->setQuery(ADOQMei);
    const auto R = Qt::AlignRight, C = Qt::AlignHCenter;
    dbgMei->setColumns({TGridColumn::fixed(QStringLiteral("№"), QStringLiteral("MESSNO"), 32, R),
                        TGridColumn::fixed(QStringLiteral("至急"), QStringLiteral("LBLMK"), 32, C),
                        TGridColumn::fixed(QStringLiteral("既読"), QStringLiteral("KMK"), 32, C),
                        TGridColumn::fixed(QStringLiteral("相手"), QStringLiteral("USERNM"), 200),
                        TGridColumn::fixed(QStringLiteral("件名"), QStringLiteral("KENMEI"), 200),
                        TGridColumn::rest(QStringLiteral("内容"), QStringLiteral("NAIYO"), 200),
                        TGridColumn::fixed(QStringLiteral("送信日時"), QStringLiteral("SDTM"), 150).formatted([](const TField& f) {
                            return f.isNull() ? QString() : f.asDateTime().toString(QStringLiteral("yyyy/MM/dd hh:mm:ss"));
                        })},
                       22);
    // A read message stays sky blue when selected; only its text turns white.
    dbgMei->setRowColors([](const TQuery& q, int recNo, TRowColors& c) {
        if (q.fieldAt(recNo, QStringLiteral("KFLG")).asInteger() == 1)
            c.background = c.selectedBackground = theme::kSkyBlue;
    });
    root->addWidget(dbgMei, 1);

    auto* buttons = new QHBoxLayout;
    bbtnInsert = widgets::button(b, QStringLiteral("bbtnInsert"), QStringLiteral("　作　成"));
    bbtnDelete = widgets::button(b, QStringLiteral("bbtnDelete"), QStringLiteral("　削　除"));
    bbtnClose = widgets::button(b, QStringLiteral("bbtnClose"), QStringLiteral("　閉じる"));
    for (QPushButton* p : {bbtnInsert, bbtnDelete, bbtnClose})
        p->setMinimumSize(100, 32);
    buttons->addWidget(bbtnInsert);
    buttons->addWidget(bbtnDelete);
    buttons->addStretch();
    buttons->addWidget(bbtnClose);
    root->addLayout(buttons);

    connect(rbRecv, &QRadioButton::clicked, this, &TFrmMailMain::rgRSClick);
    connect(rbSend, &QRadioButton::clicked, this, &TFrmMailMain::rgRSClick);
    connect(cbMidoku, &QCheckBox::clicked, this, &TFrmMailMain::cbMidokuClick);
    connect(bbtnSrc, &QPushButton::clicked, this, &TFrmMailMain::bbtnSrcClick);
    connect(bbtnInsert, &QPushButton::clicked, this, &TFrmMailMain::bbtnInsertClick);
    connect(bbtnDelete, &QPushButton::clicked, this, &TFrmMailMain::bbtnDeleteClick);
    connect(dbgMei, &TDBGrid::recordDoubleClicked, this, &TFrmMailMain::dbgMeiDblClick);
    connect(bbtnClose, &QPushButton::clicked, this, &QDialog::reject);
    resize(1100, 600);
}

TFrmMailMain::~TFrmMailMain() = default;

void TFrmMailMain::showEvent(QShowEvent* e)
{
    TFrmOBase::showEvent(e);
    if (!FShown)
        FormShow();
}

int TFrmMailMain::view() const { return rbSend->isChecked() ? 1 : 0; }

void TFrmMailMain::FormShow()
{
    FShown = true;
    lblUserNm->setText(G().user.userName);
    lblJTyp->setText(mess::jobTypeText(G().user.jobType));
    // The list opens in number order, oldest first; a click on the number's
    // title then turns it round.
    dbgMei->setSortState(QStringLiteral("MESSNO"), true);
    openList();
}

void TFrmMailMain::openList()
{
    const QString kenmei = edtKENMEI->text().trimmed();
    const QString naiyo = edtNAIYO->text().trimmed();
    QString sql = QStringLiteral(R"(SELECT D.*, %1 AS "SKEY", U."USERNM", %2 AS "LBLMK", %3 AS "KMK"
  FROM "KLOV"."D_MESS" D
)")
                      .arg(rec::skeyMessage(QStringLiteral("D")), rec::sqlLblMk(QStringLiteral("D")),
                           rec::sqlReadMk(QStringLiteral("D")));
    // The partner shown is the sender in the inbox, the recipient in the outbox.
    if (view() == 0)
        sql += QStringLiteral(R"(  LEFT JOIN "KLOV"."M_USER" U ON D."SUSERID" = U."USERID"
 WHERE D."RUSERID" = :USERID AND D."RDELFLG" = 0
)");
    else
        sql += QStringLiteral(R"(  LEFT JOIN "KLOV"."M_USER" U ON D."RUSERID" = U."USERID"
 WHERE D."SUSERID" = :USERID AND D."SDELFLG" = 0
)");
    if (cbMidoku->isChecked())
        sql += QStringLiteral("   AND D.\"KFLG\" = 0\n");
    if (!kenmei.isEmpty())
        sql += QStringLiteral(R"(   AND D."KENMEI" LIKE :KENMEI ESCAPE '\'
)");
    if (!naiyo.isEmpty())
        sql += QStringLiteral(R"(   AND D."NAIYO" LIKE :NAIYO ESCAPE '\'
)");
    sql += QStringLiteral(R"( ORDER BY D."MESSNO" DESC)");
    try {
        TWaitCursor wait;
        ADOQMei->setSql(sql);
        ADOQMei->setText(QStringLiteral("USERID"), G().user.userId, 24);
        // Bound whole: a pattern cut to the column's width would match other rows.
        if (!kenmei.isEmpty())
            ADOQMei->setText(QStringLiteral("KENMEI"), textutil::likeContains(kenmei), 0);
        if (!naiyo.isEmpty())
            ADOQMei->setText(QStringLiteral("NAIYO"), textutil::likeContains(naiyo), 0);
        ADOQMei->open();
    } catch (const std::exception& e) {
        ADOQMei->close();
        msg::warning(this, errorWarningText(e));
        return;
    }
    dbgMei->reapplySort();
    ADOQMei->first();
}

void TFrmMailMain::rgRSClick() { openList(); }
void TFrmMailMain::cbMidokuClick() { openList(); }
void TFrmMailMain::bbtnSrcClick() { openList(); }

void TFrmMailMain::bbtnInsertClick()
{
    TFrmUpdMess dlg(this);
    if (dlg.exec() != QDialog::Accepted)
        return;
    openList();
    if (view() == 1)
        dbgMei->locate(QStringLiteral("MESSNO"), dlg.FMESSNO);
}

void TFrmMailMain::dbgMeiDblClick()
{
    if (!ADOQMei->active() || ADOQMei->isEmpty())
        return;
    const int messno = ADOQMei->field(QStringLiteral("MESSNO")).asInteger();
    const QString ruser = ADOQMei->field(QStringLiteral("RUSERID")).asString().trimmed();
    {
        TFrmReadMess dlg(this);
        dlg.FMESSNO = messno;
        dlg.FRUSERID = ruser;
        dlg.FRSKBN = view();
        dlg.exec();
    }
    openList();
    dbgMei->locate(QStringLiteral("SKEY"), mess::rowKey(messno, ruser));
}

void TFrmMailMain::bbtnDeleteClick()
{
    if (!ADOQMei->active() || ADOQMei->isEmpty())
        return;
    const bool inbox = view() == 0;
    const int messno = ADOQMei->field(QStringLiteral("MESSNO")).asInteger();
    const QString ruser = ADOQMei->field(QStringLiteral("RUSERID")).asString().trimmed();
    const QString kenmei = ADOQMei->field(QStringLiteral("KENMEI")).asString();
    const QString me = G().user.userId;

    // The rules go by the row as it is now: the recipient may have read it,
    // or the sender withdrawn it, since the list was read.
    int kflg = 0;
    try {
        if (inbox)
            ADOQ->setSql(R"(SELECT "KFLG" FROM "KLOV"."D_MESS" WHERE "MESSNO" = :MESSNO AND "RUSERID" = :RUSERID
                AND "RUSERID" = :USERID AND "RDELFLG" = 0)");
        else
            ADOQ->setSql(R"(SELECT "KFLG" FROM "KLOV"."D_MESS" WHERE "MESSNO" = :MESSNO AND "RUSERID" = :RUSERID
                AND "SUSERID" = :USERID AND "SDELFLG" = 0)");
        ADOQ->setInt(QStringLiteral("MESSNO"), messno).setText(QStringLiteral("RUSERID"), ruser, 24);
        ADOQ->setText(QStringLiteral("USERID"), me, 24);
        ADOQ->open();
        const bool found = !ADOQ->eof();
        kflg = found ? ADOQ->field(QStringLiteral("KFLG")).asInteger() : 0;
        ADOQ->close();
        if (!found) {
            msg::warning(this, kConflictMessage);
            openList();
            return;
        }
    } catch (const std::exception& e) {
        ADOQ->close();
        msg::warning(this, errorWarningText(e));
        return;
    }

    if (inbox && kflg == 0) {
        msg::information(this, QStringLiteral("受信後既読前のメッセージは削除できません。"));
        return;
    }
    if (!msg::question(this, QStringLiteral("№:") + QString::number(messno) + QStringLiteral("「") + kenmei
                                 + QStringLiteral("」を削除しますか？")))
        return;
    if (!inbox)
        msg::information(this, kflg != 0 ? QStringLiteral("既に既読済みのため相手側は削除されません。")
                                         : QStringLiteral("相手が既読前のため送信取消となります。"));

    // Each statement states the row as it was found; another workstation
    // changing it meanwhile leaves it untouched.
    QString sql;
    if (inbox)
        sql = QStringLiteral(R"(UPDATE "KLOV"."D_MESS" SET "RDELFLG" = 1, "RDELDTM" = DATE_TRUNC('second',NOW())
            WHERE "MESSNO" = :MESSNO AND "RUSERID" = :RUSERID AND "RUSERID" = :USERID AND "RDELFLG" = 0 AND "KFLG" <> 0)");
    else if (kflg == 0)
        sql = QStringLiteral(R"(DELETE FROM "KLOV"."D_MESS"
            WHERE "MESSNO" = :MESSNO AND "RUSERID" = :RUSERID AND "SUSERID" = :USERID AND "SDELFLG" = 0 AND "KFLG" = 0)");
    else
        sql = QStringLiteral(R"(UPDATE "KLOV"."D_MESS" SET "SDELFLG" = 1, "SDELDTM" = DATE_TRUNC('second',NOW())
            WHERE "MESSNO" = :MESSNO AND "RUSERID" = :RUSERID AND "SUSERID" = :USERID AND "SDELFLG" = 0 AND "KFLG" <> 0)");
    const TWriteResult r = runWrite(this, [&](TConnection&) {
        ADOQ->setSql(sql);
        ADOQ->setInt(QStringLiteral("MESSNO"), messno).setText(QStringLiteral("RUSERID"), ruser, 24);
        ADOQ->setText(QStringLiteral("USERID"), me, 24);
        ADOQ->execSqlExpect(1);
    });
    if (r == TWriteResult::Done || r == TWriteResult::Conflict)
        openList();
}
