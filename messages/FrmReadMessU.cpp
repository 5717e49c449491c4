#include "messages/FrmReadMessU.h"

#include "app/Globals.h"
#include "app/MsgBox.h"
#include "app/Theme.h"
#include "app/UntDM.h"
#include "app/WriteRunner.h"
#include "controls/PlPrev.h"
#include "controls/PlSetPrinter.h"
#include "controls/Widgets.h"
#include "db/Errors.h"
#include "db/Query.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

namespace {
const QColor kMoneyGreen(0xC0, 0xDC, 0xC0);

QLabel* markLabel(QWidget* parent, const QString& name, const QString& text)
{
    QLabel* l = widgets::label(parent, text, name);
    l->setStyleSheet(QStringLiteral("color: red; font-weight: bold;"));
    l->setVisible(false);
    return l;
}
} // namespace

TFrmReadMess::TFrmReadMess(QWidget* parent) : TFrmOBase(parent)
{
    setObjectName(QStringLiteral("TFrmReadMess"));
    setWindowTitle(QStringLiteral("連絡用メッセージ確認"));
    plSetPrinter1 = new TplSetPrinter(this);
    plSetPrinter1->setObjectName(QStringLiteral("plSetPrinter1"));
    plPrev1 = new TplPrev(this);
    plPrev1->setObjectName(QStringLiteral("plPrev1"));

    QWidget* b = body();
    auto* root = new QVBoxLayout(b);
    root->setContentsMargins(10, 8, 10, 6);

    auto* top = new QHBoxLayout;
    lblRSSTS = widgets::label(b, QString(), QStringLiteral("lblRSSTS"));
    lblRSSTS->setAlignment(Qt::AlignCenter);
    lblRSSTS->setMinimumSize(70, 24);
    lblMESSNO = widgets::valueLabel(b, QStringLiteral("lblMESSNO"), 70);
    lblSIKYU = markLabel(b, QStringLiteral("lblSIKYU"), QStringLiteral("至　急"));
    lblKIDOKU = markLabel(b, QStringLiteral("lblKIDOKU"), QStringLiteral("既　読"));
    top->addWidget(lblRSSTS);
    top->addWidget(widgets::caption(b, QStringLiteral("№")));
    top->addWidget(lblMESSNO);
    top->addSpacing(12);
    top->addWidget(lblSIKYU);
    top->addWidget(lblKIDOKU);
    top->addStretch();
    root->addLayout(top);

    auto* g = new QGridLayout;
    lblUSERNM = widgets::valueLabel(b, QStringLiteral("lblUSERNM"), 240);
    lblSDTM = widgets::valueLabel(b, QStringLiteral("lblSDTM"), 160);
    edtKENMEI = new QLineEdit(b);
    edtKENMEI->setObjectName(QStringLiteral("edtKENMEI"));
    edtKENMEI->setReadOnly(true);
    memNaiyo = new QPlainTextEdit(b);
    memNaiyo->setObjectName(QStringLiteral("memNaiyo"));
    memNaiyo->setReadOnly(true);
    g->addWidget(widgets::caption(b, QStringLiteral("相手")), 0, 0);
    g->addWidget(lblUSERNM, 0, 1);
    g->addWidget(widgets::caption(b, QStringLiteral("送信日時")), 0, 2);
    g->addWidget(lblSDTM, 0, 3);
    g->addWidget(widgets::caption(b, QStringLiteral("件名")), 1, 0);
    g->addWidget(edtKENMEI, 1, 1, 1, 3);
    g->addWidget(widgets::caption(b, QStringLiteral("内容")), 2, 0, Qt::AlignTop | Qt::AlignRight);
    g->addWidget(memNaiyo, 2, 1, 1, 3);
    g->setColumnStretch(1, 1);
    g->setRowStretch(2, 1);
    root->addLayout(g, 1);

    auto* buttons = new QHBoxLayout;
    bbtnPrint = widgets::button(b, QStringLiteral("bbtnPrint"), QStringLiteral("　印　刷"));
    bbtnClose = widgets::button(b, QStringLiteral("bbtnClose"), QStringLiteral("　閉じる"));
    for (QPushButton* p : {bbtnPrint, bbtnClose})
        p->setMinimumSize(100, 32);
    buttons->addStretch();
    buttons->addWidget(bbtnPrint);
    buttons->addWidget(bbtnClose);
    root->addLayout(buttons);

    connect(bbtnPrint, &QPushButton::clicked, this, &TFrmReadMess::bbtnPrintClick);
    connect(bbtnClose, &QPushButton::clicked, this, &QDialog::reject);
    resize(640, 480);
}

TFrmReadMess::~TFrmReadMess() = default;

void TFrmReadMess::showEvent(QShowEvent* e)
{
    TFrmOBase::showEvent(e);
    if (!FShown)
        FormShow();
}

void TFrmReadMess::FormShow()
{
    FShown = true;
    lblMESSNO->setText(QString::number(FMESSNO));
    const bool inbox = FRSKBN == 0;
    lblRSSTS->setText(inbox ? QStringLiteral("受　信") : QStringLiteral("送　信"));
    theme::setBackground(lblRSSTS, inbox ? kMoneyGreen : theme::kSkyBlue);
    try {
        // Gone since the list was read: the sender withdrew it.
        if (!loadRow())
            msg::warning(this, kConflictMessage);
    } catch (const std::exception& e) {
        FFound = false;
        msg::warning(this, errorWarningText(e));
    }
    bbtnPrint->setEnabled(FFound);
    // Only the recipient's own opening from the inbox marks a message read.
    if (FFound && inbox && FKFLG == 0)
        markRead();
    bbtnPrint->setFocus();
}

bool TFrmReadMess::loadRow()
{
    TQuery q(&dm().ADOCPOST);
    q.setSql(R"(SELECT M.*, UR."USERNM" AS "RUSERNM", US."USERNM" AS "SUSERNM"
  FROM "KLOV"."D_MESS" M
  LEFT JOIN "KLOV"."M_USER" UR ON M."RUSERID" = UR."USERID"
  LEFT JOIN "KLOV"."M_USER" US ON M."SUSERID" = US."USERID"
 WHERE M."MESSNO" = :MESSNO AND M."RUSERID" = :RUSERID)");
    q.setInt(QStringLiteral("MESSNO"), FMESSNO).setText(QStringLiteral("RUSERID"), FRUSERID, 24);
    q.open();
    FFound = !q.eof();
    FMess = TrecMess{};
    FMess.MESSNO = FMESSNO;
    if (FFound) {
        const auto s = [&q](const char* name) { return q.field(QLatin1String(name)).asString(); };
        FKFLG = q.field(QStringLiteral("KFLG")).asInteger();
        FMess.urgent = q.field(QStringLiteral("LBLKBN")).asInteger() == 1;
        FMess.SDTM = q.field(QStringLiteral("SDTM")).asDateTime();
        FMess.SUSERID = s("SUSERID").trimmed();
        FMess.SUSERNM = s("SUSERNM");
        FMess.RUSERID = s("RUSERID").trimmed();
        FMess.RUSERNM = s("RUSERNM");
        FMess.KENMEI = s("KENMEI");
        FMess.NAIYO = s("NAIYO");
    }
    lblSIKYU->setVisible(FFound && FMess.urgent);
    lblKIDOKU->setVisible(FFound && FKFLG == 1);
    lblUSERNM->setText(FRSKBN == 0 ? FMess.SUSERNM : FMess.RUSERNM);
    lblSDTM->setText(FMess.SDTM.isValid() ? FMess.SDTM.toString(QStringLiteral("yyyy/MM/dd hh:mm:ss")) : QString());
    edtKENMEI->setText(FMess.KENMEI);
    memNaiyo->setPlainText(FMess.NAIYO);
    return FFound;
}

void TFrmReadMess::markRead()
{
    const TWriteResult r = runWrite(this, [this](TConnection& conn) {
        TQuery q(&conn);
        q.setSql(R"(UPDATE "KLOV"."D_MESS" SET "KFLG" = 1, "KDTM" = DATE_TRUNC('second',NOW())
            WHERE "MESSNO" = :MESSNO AND "RUSERID" = :RUSERID AND "RUSERID" = :USERID AND "KFLG" = 0 AND "RDELFLG" = 0)");
        q.setInt(QStringLiteral("MESSNO"), FMESSNO).setText(QStringLiteral("RUSERID"), FRUSERID, 24);
        q.setText(QStringLiteral("USERID"), G().user.userId, 24);
        q.execSqlExpect(1);
    });
    if (r != TWriteResult::Conflict)
        return;
    // The sender withdrew it, or another workstation read it first: show it as it is now.
    try {
        bbtnPrint->setEnabled(loadRow());
    } catch (const std::exception& e) {
        msg::warning(this, errorWarningText(e));
    }
}

void TFrmReadMess::bbtnPrintClick()
{
    if (!FFound)
        return;
    try {
        DrawMess(*plPrev1, *plSetPrinter1, FMess);
    } catch (const std::exception& e) {
        msg::warning(this, errorWarningText(e));
        return;
    }
    plPrev1->ShowModal();
}
