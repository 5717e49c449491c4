#include "admin/FrmMntDrKaU.h"

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

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QVBoxLayout>

TFrmMntDrKa::TFrmMntDrKa(QWidget* parent) : TFrmOBase(parent)
{
    setObjectName(QStringLiteral("TFrmMntDrKa"));
    setWindowTitle(QStringLiteral("医師所属診療科メンテナンス"));
    theme::setBackground(this, theme::kCream);
    ADOQMei = new TQuery(&dm().ADOCPOST, this);
    ADOQMei->setObjectName(QStringLiteral("ADOQMei"));

    QWidget* b = body();
    auto* root = new QVBoxLayout(b);
    root->setContentsMargins(8, 8, 8, 6);
    auto* top = new QGridLayout;
    cmbDR = widgets::combo(b, QStringLiteral("cmbDR"), 260);
    cmbKA = widgets::combo(b, QStringLiteral("cmbKA"), 260);
    top->addWidget(widgets::caption(b, QStringLiteral("医師")), 0, 0);
    top->addWidget(cmbDR, 0, 1, Qt::AlignLeft);
    top->addWidget(widgets::caption(b, QStringLiteral("所属診療科")), 1, 0);
    top->addWidget(cmbKA, 1, 1, Qt::AlignLeft);
    top->setColumnStretch(2, 1);
    root->addLayout(top);

    dbgMei = new TDBGrid(b);
    dbgMei->setObjectName(QStringLiteral("dbgMei"));
    dbgMei->setQuery(ADOQMei);
    root->addWidget(dbgMei, 1);

    auto button = [b](const QString& name, const QString& text) {
        QPushButton* p = widgets::button(b, name, text);
        p->setMinimumSize(100, 32);
        return p;
    };
    bbtnInsert = button(QStringLiteral("bbtnInsert"), QStringLiteral("　登　録"));
    bbtnDelete = button(QStringLiteral("bbtnDelete"), QStringLiteral("　削　除"));
    bbtnClose = button(QStringLiteral("bbtnClose"), QStringLiteral("閉じる"));
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(bbtnInsert);
    buttons->addWidget(bbtnDelete);
    buttons->addStretch();
    buttons->addWidget(bbtnClose);
    root->addLayout(buttons);

    connect(dbgMei, &TDBGrid::currentRecordChanged, this, &TFrmMntDrKa::ADOQMeiAfterScroll);
    connect(cmbDR, &QComboBox::currentIndexChanged, this, [this] {
        if (FShown)
            openList();
    });
    connect(bbtnInsert, &QPushButton::clicked, this, &TFrmMntDrKa::bbtnInsertClick);
    connect(bbtnDelete, &QPushButton::clicked, this, &TFrmMntDrKa::bbtnDeleteClick);
    connect(bbtnClose, &QPushButton::clicked, this, &QDialog::close);

    resize(640, 520);
}

TFrmMntDrKa::~TFrmMntDrKa() = default;

void TFrmMntDrKa::showEvent(QShowEvent* e)
{
    TFrmOBase::showEvent(e);
    if (!FShown)
        FormShow();
}

void TFrmMntDrKa::FormShow()
{
    dbgMei->setColumns({TGridColumn::percent(QStringLiteral(" 診療科CD"), QStringLiteral("KACD"), 30, Qt::AlignRight),
                        TGridColumn::percent(QStringLiteral("診療科"), QStringLiteral("KANM"), 50),
                        TGridColumn::percent(QStringLiteral("表示"), QStringLiteral("DSPMK"), 20, Qt::AlignCenter)},
                       22);
    dbgMei->resetSort();
    FShown = true;
    loadChoices({}, -1);
}

void TFrmMntDrKa::loadChoices(const QString& doctor, int code)
{
    {
        const QSignalBlocker blockDoctor(cmbDR);
        cmbKA->clear();
        cmbDR->clear();
        FslDR.clear();
        try {
            TQuery q(&dm().ADOCPOST);
            widgets::addDepartments(cmbKA, q, false);
            q.setSql(R"(SELECT * FROM "KLOV"."M_USER" WHERE "JTYP" = 0 ORDER BY "USERID")");
            q.open();
            for (; !q.eof(); q.next()) {
                const QString id = q.field(QStringLiteral("USERID")).asString();
                cmbDR->addItem(q.field(QStringLiteral("USERNM")).asString() + QStringLiteral("(") + id + QStringLiteral(")"));
                FslDR << id;
            }
        } catch (const std::exception& e) {
            msg::warning(this, errorWarningText(e));
        }
        cmbKA->setCurrentIndex(cmbKA->findData(code));
        cmbDR->setCurrentIndex(doctor.isEmpty() ? -1 : int(FslDR.indexOf(doctor)));
    }
    openList();
}

QString TFrmMntDrKa::chosenDoctor() const
{
    const int i = cmbDR->currentIndex();
    return i >= 0 && i < FslDR.size() ? FslDR[i] : QString();
}

void TFrmMntDrKa::openList()
{
    try {
        TWaitCursor wait;
        ADOQMei->setSql(R"(SELECT D.* ,K."KANM" ,CAST((CASE WHEN K."DSPKBN" = 0 THEN '〇' ELSE '×' END) AS character varying(1)) AS "DSPMK"
                             FROM "KLOV"."M_DRKA" D LEFT JOIN "KLOV"."M_KA" K ON D."KACD" = K."KACD"
                            WHERE D."USERID" = :USERID ORDER BY "KACD")");
        ADOQMei->setText(QStringLiteral("USERID"), chosenDoctor(), 24);
        ADOQMei->open();
    } catch (const std::exception& e) {
        ADOQMei->close();
        msg::warning(this, errorWarningText(e));
        return;
    }
    dbgMei->reapplySort();
}

void TFrmMntDrKa::ADOQMeiAfterScroll()
{
    if (FLoading || !ADOQMei->active() || ADOQMei->isEmpty())
        return;
    cmbKA->setCurrentIndex(cmbKA->findData(ADOQMei->field(QStringLiteral("KACD")).asInteger()));
}

void TFrmMntDrKa::requeryAt(int code)
{
    FLoading = true;
    openList();
    dbgMei->locate(QStringLiteral("KACD"), code);
    FLoading = false;
}

void TFrmMntDrKa::bbtnInsertClick()
{
    const QString userId = chosenDoctor();
    if (userId.isEmpty()) {
        msg::warning(this, QStringLiteral("医師が選択されていません。"));
        return;
    }
    if (cmbKA->currentIndex() < 0) {
        msg::warning(this, QStringLiteral("所属診療科が選択されていません。"));
        return;
    }
    const int code = cmbKA->currentData().toInt();
    bool registered = false;
    const TWriteResult r = runWrite(this, [&](TConnection& conn) {
        TQuery q(&conn);
        q.setSql(R"(SELECT * FROM "KLOV"."M_DRKA" WHERE "USERID" = :USERID AND "KACD" = :KACD)");
        q.setText(QStringLiteral("USERID"), userId, 24);
        q.setInt(QStringLiteral("KACD"), code);
        q.open();
        registered = !q.eof();
        if (registered)
            return;
        // The department and the doctor must still be there; the share lock
        // keeps the department until this commits.
        q.setSql(R"(SELECT "KACD" FROM "KLOV"."M_KA" WHERE "KACD" = :KACD FOR SHARE)");
        q.setInt(QStringLiteral("KACD"), code);
        q.open();
        if (q.eof())
            throw EConflictError(QStringLiteral("department %1 deleted meanwhile").arg(code));
        q.setSql(R"(SELECT "USERID" FROM "KLOV"."M_USER" WHERE "USERID" = :USERID AND "JTYP" = 0 FOR SHARE)");
        q.setText(QStringLiteral("USERID"), userId, 24);
        q.open();
        if (q.eof())
            throw EConflictError(QStringLiteral("doctor %1 deleted or changed meanwhile").arg(userId));
        // A second workstation registering the same pair at the same moment
        // runs into the table's key: a conflict, never a second row.
        q.setSql(R"(INSERT INTO "KLOV"."M_DRKA" ("USERID","KACD") VALUES (:USERID,:KACD))");
        q.setText(QStringLiteral("USERID"), userId, 24);
        q.setInt(QStringLiteral("KACD"), code);
        q.execSqlExpect(1);
    });
    if (r == TWriteResult::Done && registered) {
        msg::warning(this, QStringLiteral("既に登録済みの診療科です。"));
        return;
    }
    if (r == TWriteResult::Conflict)
        loadChoices(userId, code);   // the departments and doctors as they are now
    else
        requeryAt(code);
}

void TFrmMntDrKa::bbtnDeleteClick()
{
    if (!ADOQMei->active() || ADOQMei->isEmpty())
        return;
    const QString userId = ADOQMei->field(QStringLiteral("USERID")).asString();
    const int code = ADOQMei->field(QStringLiteral("KACD")).asInteger();
    if (!msg::question(this, QStringLiteral("削除してよりしいですか？")))
        return;
    runWrite(this, [&](TConnection& conn) {
        TQuery q(&conn);
        q.setSql(R"(DELETE FROM "KLOV"."M_DRKA" WHERE "USERID" = :USERID AND "KACD" = :KACD)");
        q.setText(QStringLiteral("USERID"), userId, 24);
        q.setInt(QStringLiteral("KACD"), code);
        q.execSqlExpect(1);
    });
    openList();
}
