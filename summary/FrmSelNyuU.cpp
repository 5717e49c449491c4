#include "summary/FrmSelNyuU.h"

#include "app/FrmOBaseU.h"
#include "app/Globals.h"
#include "app/MsgBox.h"
#include "app/Theme.h"
#include "app/UntDM.h"
#include "controls/DBGrid.h"
#include "controls/Widgets.h"
#include "db/Errors.h"
#include "db/Query.h"
#include "db/Records.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

namespace {
// A discharge not yet recorded (null or the zero date) shows empty.
QString admissionTime(const TField& f)
{
    if (f.isNull() || rec::isAbsentDate(f.asDate()))
        return {};
    return f.asString();
}
} // namespace

TFrmSelNyu::TFrmSelNyu(QWidget* parent) : QDialog(parent)
{
    theme::setupFixedDialog(this, QStringLiteral("TFrmSelNyu"), QStringLiteral("退院サマリ作成支援"), theme::kCream,
                            true);
    setModal(true);
    ADOQ = new TQuery(nullptr, this);
    ADOQ->setObjectName(QStringLiteral("ADOQ"));

    dbgMei = new TDBGrid(this);
    dbgMei->setObjectName(QStringLiteral("dbgMei"));
    dbgMei->setQuery(ADOQ);
    bbtnOk = widgets::button(this, QStringLiteral("bbtnOk"), QStringLiteral(" 選 択"));
    bbtnCancel = widgets::button(this, QStringLiteral("bbtnCancel"), QStringLiteral("キャンセル"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    for (QPushButton* p : {bbtnOk, bbtnCancel}) {
        p->setMinimumSize(96, 30);
        buttons->addWidget(p);
    }
    auto* v = new QVBoxLayout(this);
    v->addWidget(dbgMei, 1);
    v->addLayout(buttons);
    setFixedSize(460, 320);

    connect(bbtnOk, &QPushButton::clicked, this, &TFrmSelNyu::bbtnOkClick);
    connect(dbgMei, &TDBGrid::recordDoubleClicked, this, &TFrmSelNyu::bbtnOkClick);
    connect(bbtnCancel, &QPushButton::clicked, this, &QDialog::reject);
    for (QWidget* w : {static_cast<QWidget*>(dbgMei), static_cast<QWidget*>(bbtnOk)})
        w->installEventFilter(this);
}

TFrmSelNyu::~TFrmSelNyu() = default;

void TFrmSelNyu::showEvent(QShowEvent* e)
{
    QDialog::showEvent(e);
    if (FShown)
        return;
    FShown = true;
    ADOQ->setConnection(&dm().ADOCPOST);
    dbgMei->setColumns({TGridColumn::percent(QStringLiteral("入院日"), QStringLiteral("NYUDTM"), 40),
                        TGridColumn::percent(QStringLiteral("退院日"), QStringLiteral("TAIDTM"), 40)
                            .formatted(admissionTime),
                        TGridColumn::percent(QStringLiteral("診療科"), QStringLiteral("KANM"), 20)},
                       21);
    loadList();
    dbgMei->setSortState(QStringLiteral("NYUDTM"), true);
    dbgMei->setFocus();
}

void TFrmSelNyu::loadList()
{
    try {
        ADOQ->setSql(R"(SELECT D."NYUDTM", D."TAIDTM", D."KACD", K."KANM"
            FROM "QARN"."D_NTDATA" D LEFT JOIN "QARN"."M_KA" K ON D."KACD" = K."KACD"
            WHERE D."ID" = :ID AND D."NKBN" = 1 ORDER BY D."NYUDTM" DESC)");
        ADOQ->setInt64(QStringLiteral("ID"), FID);
        ADOQ->open();
    } catch (const std::exception& e) {
        ADOQ->close();
        msg::warning(this, errorWarningText(e));
    }
    bbtnOk->setEnabled(ADOQ->active() && !ADOQ->isEmpty());
}

bool TFrmSelNyu::eventFilter(QObject* watched, QEvent* event)
{
    if (handleEnterKey(this, event))
        return true;
    return QDialog::eventFilter(watched, event);
}

void TFrmSelNyu::bbtnOkClick()
{
    if (!ADOQ->active() || ADOQ->isEmpty() || ADOQ->recNo() < 0)
        return;
    const TField tai = ADOQ->field(QStringLiteral("TAIDTM"));
    const TField ka = ADOQ->field(QStringLiteral("KACD"));
    FNYUDTM = ADOQ->field(QStringLiteral("NYUDTM")).asDateTime();
    FTAIDTM = tai.isNull() ? QDateTime() : tai.asDateTime();
    FKACD = ka.isNull() ? 0 : ka.asInteger();
    accept();
}
