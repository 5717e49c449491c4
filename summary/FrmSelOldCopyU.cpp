#include "summary/FrmSelOldCopyU.h"

#include "app/Globals.h"
#include "app/MsgBox.h"
#include "app/UntDM.h"
#include "app/WaitCursor.h"
#include "controls/DBGrid.h"
#include "controls/NumberEdit.h"
#include "controls/Widgets.h"
#include "db/Errors.h"
#include "db/Query.h"
#include "db/Records.h"
#include "patient/FrmSrcKanjaU.h"
#include "patient/PatientHeader.h"
#include "summary/TaiyouRows.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QShowEvent>
#include <QToolButton>
#include <QVBoxLayout>

TFrmSelOldCopy::TFrmSelOldCopy(QWidget* parent) : TFrmOBase(parent)
{
    setObjectName(QStringLiteral("TFrmSelOldCopy"));
    ADOQ = new TQuery(nullptr, this);
    ADOQ->setObjectName(QStringLiteral("ADOQ"));

    QWidget* b = body();
    auto* root = new QVBoxLayout(b);
    root->setContentsMargins(8, 8, 8, 4);

    const TPatientPick pick = newPatientPick(b);
    nedtID = pick.nedtID;
    bbtnIdSrc = pick.bbtnIdSrc;
    header = pick.header;
    header->setAgeUnit(QStringLiteral("才"));
    root->addLayout(pick.layout);

    dbgMei = new TDBGrid(b);
    dbgMei->setObjectName(QStringLiteral("dbgMei"));
    dbgMei->setQuery(ADOQ);
    dbgMei->setRowColors(taiyouRowColors);
    root->addWidget(dbgMei, 1);

    cbDispDel = new QCheckBox(QStringLiteral("削除済/旧Versionも表示"), b);
    cbDispDel->setObjectName(QStringLiteral("cbDispDel"));
    root->addWidget(cbDispDel);

    auto* box = new QGroupBox(QStringLiteral("複写項目"), b);
    auto* boxes = new QHBoxLayout(box);
    auto check = [box, boxes](const char* name, const char* text) {
        auto* c = new QCheckBox(QString::fromUtf8(text), box);
        c->setObjectName(QString::fromLatin1(name));
        boxes->addWidget(c);
        return c;
    };
    cbNBEF = check("cbNBEF", "入院までの経過");
    cbNKEI = check("cbNKEI", "入院経過");
    cbTJOU = check("cbTJOU", "退院時状況");
    cbTYAKU = check("cbTYAKU", "退院時投薬");
    cbTHOU = check("cbTHOU", "退院時方針");
    boxes->addStretch();

    bbtnOk = widgets::button(b, QStringLiteral("bbtnOk"), QStringLiteral("OK"));
    bbtnCancel = widgets::button(b, QStringLiteral("bbtnCancel"), QStringLiteral("キャンセル"));
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(box, 1);
    for (QPushButton* p : {bbtnOk, bbtnCancel}) {
        p->setMinimumSize(96, 32);
        bottom->addWidget(p, 0, Qt::AlignBottom);
    }
    root->addLayout(bottom);

    connect(nedtID, &TNumberEdit::exited, this, &TFrmSelOldCopy::nedtIDExit);
    connect(bbtnIdSrc, &QToolButton::clicked, this, &TFrmSelOldCopy::bbtnIdSrcClick);
    connect(cbDispDel, &QCheckBox::clicked, this, &TFrmSelOldCopy::loadList);
    connect(bbtnOk, &QPushButton::clicked, this, &TFrmSelOldCopy::bbtnOkClick);
    connect(dbgMei, &TDBGrid::recordDoubleClicked, this, &TFrmSelOldCopy::bbtnOkClick);
    connect(bbtnCancel, &QPushButton::clicked, this, &QDialog::reject);

    resize(1100, 600);
}

TFrmSelOldCopy::~TFrmSelOldCopy() = default;

void TFrmSelOldCopy::showEvent(QShowEvent* e)
{
    TFrmOBase::showEvent(e);
    if (FShown)
        return;
    FShown = true;
    ADOQ->setConnection(&dm().ADOCPOST);
    const auto R = Qt::AlignRight, C = Qt::AlignHCenter;
    dbgMei->setColumns({TGridColumn::fixed(QStringLiteral("№"), QStringLiteral("KNO"), 48, R),
                        TGridColumn::fixed(QStringLiteral("Ver"), QStringLiteral("VERNO"), 32, R),
                        TGridColumn::fixed(QStringLiteral("入院日"), QStringLiteral("NDTE"), 100),
                        TGridColumn::fixed(QStringLiteral("退院日"), QStringLiteral("TDTEN"), 100),
                        TGridColumn::fixed(QStringLiteral("診療科"), QStringLiteral("KANM"), 80),
                        TGridColumn::fixed(QStringLiteral("入院種別"), QStringLiteral("NSYUNM"), 48),
                        TGridColumn::fixed(QStringLiteral("主訴・入院理由"), QStringLiteral("NYURIYU"), 120),
                        TGridColumn::rest(QStringLiteral("入院までの経過"), QStringLiteral("NYUBEFKEIKA"), 100),
                        TGridColumn::fixed(QStringLiteral("主治医"), QStringLiteral("SYUDRNM"), 80),
                        TGridColumn::fixed(QStringLiteral("記載"), QStringLiteral("WMK"), 32, C),
                        TGridColumn::fixed(QStringLiteral("承認"), QStringLiteral("SMK"), 32, C),
                        TGridColumn::fixed(QStringLiteral("完了"), QStringLiteral("KMK"), 32, C)},
                       46);
    for (QCheckBox* c : {cbNBEF, cbNKEI, cbTJOU, cbTYAKU, cbTHOU})
        c->setChecked(true);
    nedtID->setAsInt64(FID);
    showPatient();
    loadList();
    nedtID->setFocus();
}

void TFrmSelOldCopy::showPatient()
{
    try {
        header->load(nedtID->asInt64());
    } catch (const std::exception& e) {
        header->clear();
        msg::warning(this, errorWarningText(e));
    }
}

void TFrmSelOldCopy::loadList()
{
    FShownID = nedtID->asInt64();
    QString sql = QStringLiteral(R"(SELECT D.*, K."KANM", SD."USERNM" AS "SYUDRNM", %1
        FROM "KLOV"."D_TAIYOU" D
        LEFT JOIN "KLOV"."M_KA" K ON D."KACD" = K."KACD"
        LEFT JOIN "KLOV"."M_USER" SD ON D."SYUDR" = SD."USERID"
        WHERE D."ID" = :ID AND D."KNO" <> :KNO)")
                      .arg(rec::sqlSummaryMarks(QStringLiteral("D")));
    if (!cbDispDel->isChecked())
        sql += QStringLiteral(R"( AND D."DELKBN" = 0 AND D."ACTKBN" = 1)");
    sql += QStringLiteral(R"( ORDER BY "KNO" DESC, "VERNO" DESC)");
    try {
        TWaitCursor wait;
        ADOQ->setSql(sql);
        ADOQ->setInt64(QStringLiteral("ID"), FShownID).setInt(QStringLiteral("KNO"), FBKNO);
        ADOQ->open();
    } catch (const std::exception& e) {
        ADOQ->close();
        msg::warning(this, errorWarningText(e));
        return;
    }
    // A list read again keeps the order chosen by the column titles.
    dbgMei->reapplySort(false);
    ADOQ->first();
}

void TFrmSelOldCopy::nedtIDExit()
{
    if (nedtID->asInt64() == FShownID)
        return;
    showPatient();
    loadList();
}

void TFrmSelOldCopy::bbtnIdSrcClick()
{
    TFrmSrcKanja dlg(this);
    if (dlg.exec() != QDialog::Accepted)
        return;
    nedtID->setAsInt64(dlg.FintID);
    showPatient();
    loadList();
}

void TFrmSelOldCopy::bbtnOkClick()
{
    if (!ADOQ->active() || ADOQ->isEmpty() || ADOQ->recNo() < 0) {
        msg::warning(this, QStringLiteral("複写元が選択されていません。"));
        return;
    }
    FKNO = ADOQ->field(QStringLiteral("KNO")).asInteger();
    FVERNO = ADOQ->field(QStringLiteral("VERNO")).asInteger();
    FNBEF = cbNBEF->isChecked();
    FNKEI = cbNKEI->isChecked();
    FTJOU = cbTJOU->isChecked();
    FTYAKU = cbTYAKU->isChecked();
    FTHOU = cbTHOU->isChecked();
    accept();
}
