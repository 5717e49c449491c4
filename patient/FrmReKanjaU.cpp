#include "patient/FrmReKanjaU.h"

#include "app/Globals.h"
#include "app/MsgBox.h"
#include "app/Theme.h"
#include "app/UntDM.h"
#include "app/WaitCursor.h"
#include "controls/DBGrid.h"
#include "controls/EraText.h"
#include "controls/NumberEdit.h"
#include "db/Errors.h"
#include "db/Query.h"
#include "db/Records.h"
#include "patient/PatientHeader.h"

#include <QApplication>
#include <QFormLayout>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QString timestampText(const TField& f)
{
    if (f.isNull() || rec::isAbsentDate(f.asDate()))
        return {};
    return f.asDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}
} // namespace

TFrmReKanja::TFrmReKanja(QWidget* parent) : TFrmOBase(parent)
{
    theme::setupCreamForm(this, QStringLiteral("TFrmReKanja"), QStringLiteral("患者メンテナンス履歴"));
    ADOQ = new TQuery(&dm().ADOCPOST, this);
    ADOQ->setObjectName(QStringLiteral("ADOQ"));

    QWidget* b = body();
    auto* root = new QVBoxLayout(b);
    root->setContentsMargins(10, 8, 10, 8);

    auto* top = new QHBoxLayout;
    nedtID = newPatientIdEdit(b);
    bbtnFilter = new QPushButton(QStringLiteral("抽出"), b);
    bbtnFilter->setObjectName(QStringLiteral("bbtnFilter"));
    bbtnFilter->setAutoDefault(false);
    bbtnFilter->setMinimumSize(80, 28);
    bbtnClose = new QPushButton(QStringLiteral("閉じる"), b);
    bbtnClose->setObjectName(QStringLiteral("bbtnClose"));
    bbtnClose->setAutoDefault(false);
    bbtnClose->setMinimumSize(96, 28);
    top->addWidget(new QLabel(QStringLiteral("患者番号"), b));
    top->addWidget(nedtID);
    top->addWidget(bbtnFilter);
    top->addStretch();
    top->addWidget(bbtnClose);
    root->addLayout(top);

    auto* middle = new QHBoxLayout;
    dbgMei = new TDBGrid(b);
    dbgMei->setObjectName(QStringLiteral("dbgMei"));
    dbgMei->setQuery(ADOQ);
    dbgMei->setColumns({TGridColumn::percent(QStringLiteral("患者番号"), QStringLiteral("ID"), 15, Qt::AlignRight),
                        TGridColumn::percent(QStringLiteral("連番"), QStringLiteral("RNO"), 8, Qt::AlignRight),
                        TGridColumn::percent(QStringLiteral("カナ"), QStringLiteral("KNJKANA"), 12),
                        TGridColumn::percent(QStringLiteral("氏名"), QStringLiteral("KNJNAME"), 25),
                        TGridColumn::percent(QStringLiteral("削除"), QStringLiteral("DELNM"), 7, Qt::AlignCenter),
                        TGridColumn::percent(QStringLiteral("登録日時"), QStringLiteral("INSDTM"), 18),
                        TGridColumn::percent(QStringLiteral("登録ﾕｰｻﾞｰID"), QStringLiteral("INSUSERID"), 15)},
                       22);
    dbgMei->setRowColors([](const TQuery& q, int recNo, TRowColors& c) {
        if (q.fieldAt(recNo, QStringLiteral("DELKBN")).asInteger() == 1)
            c.background = theme::kSilver;
        else if (q.fieldAt(recNo, QStringLiteral("ACTKBN")).asInteger() == 1)
            c.background = Qt::white;
        else
            c.background = QColor(0xD4, 0xD4, 0xD4);
        c.text = Qt::black;
        c.selectedBackground = c.background;
        c.selectedText = Qt::blue;
    });
    middle->addWidget(dbgMei, 1);

    auto* pane = new QFrame(b);
    pane->setObjectName(QStringLiteral("pnlDetail"));
    pane->setFrameShape(QFrame::StyledPanel);
    pane->setFixedWidth(280);
    auto* form = new QFormLayout(pane);
    form->setLabelAlignment(Qt::AlignRight);
    form->setContentsMargins(8, 8, 8, 8);
    auto value = [pane](const QString& name) {
        auto* l = new QLabel(pane);
        l->setObjectName(name);
        l->setTextInteractionFlags(Qt::TextSelectableByMouse);
        l->setMinimumHeight(18);
        return l;
    };
    lblDelSts = value(QStringLiteral("lblDelSts"));
    lblDelSts->setAlignment(Qt::AlignCenter);
    lblDelSts->setFixedSize(80, 22);
    lblDelSts->setAutoFillBackground(true);
    QFont stsFont = lblDelSts->font();
    stsFont.setBold(true);
    lblDelSts->setFont(stsFont);
    lblDelSts->hide();
    lblID = value(QStringLiteral("lblID"));
    lblKNJKANA = value(QStringLiteral("lblKNJKANA"));
    lblKNJNAME = value(QStringLiteral("lblKNJNAME"));
    lblBIRTH = value(QStringLiteral("lblBIRTH"));
    lblSEX = value(QStringLiteral("lblSEX"));
    lblPOSTCD = value(QStringLiteral("lblPOSTCD"));
    lblADR1 = value(QStringLiteral("lblADR1"));
    lblADR2 = value(QStringLiteral("lblADR2"));
    lblTEL = value(QStringLiteral("lblTEL"));
    lblFAX = value(QStringLiteral("lblFAX"));
    lblKEITAI = value(QStringLiteral("lblKEITAI"));
    lblMAIL = value(QStringLiteral("lblMAIL"));
    lblBIKO = value(QStringLiteral("lblBIKO"));
    lblBIKO->setWordWrap(true);
    lblINSDTM = value(QStringLiteral("lblINSDTM"));
    lblUPDDTM = value(QStringLiteral("lblUPDDTM"));
    lblINSUSERID = value(QStringLiteral("lblINSUSERID"));
    lblUPDUSERID = value(QStringLiteral("lblUPDUSERID"));
    for (QLabel* l : {lblADR1, lblADR2})
        l->setWordWrap(true);
    form->addRow(QString(), lblDelSts);
    form->addRow(QStringLiteral("患者番号"), lblID);
    form->addRow(QStringLiteral("カナ"), lblKNJKANA);
    form->addRow(QStringLiteral("氏名"), lblKNJNAME);
    form->addRow(QStringLiteral("生年月日"), lblBIRTH);
    form->addRow(QStringLiteral("性別"), lblSEX);
    form->addRow(QStringLiteral("郵便番号"), lblPOSTCD);
    form->addRow(QStringLiteral("住所１"), lblADR1);
    form->addRow(QStringLiteral("住所２"), lblADR2);
    form->addRow(QStringLiteral("電話番号"), lblTEL);
    form->addRow(QStringLiteral("FAX番号"), lblFAX);
    form->addRow(QStringLiteral("携帯番号"), lblKEITAI);
    form->addRow(QStringLiteral("E-Mail"), lblMAIL);
    form->addRow(QStringLiteral("備考"), lblBIKO);
    form->addRow(QStringLiteral("登録日時"), lblINSDTM);
    form->addRow(QStringLiteral("更新日時"), lblUPDDTM);
    form->addRow(QStringLiteral("登録ﾕｰｻﾞｰID"), lblINSUSERID);
    form->addRow(QStringLiteral("更新ﾕｰｻﾞｰID"), lblUPDUSERID);
    middle->addWidget(pane);
    root->addLayout(middle, 1);

    connect(bbtnFilter, &QPushButton::clicked, this, &TFrmReKanja::bbtnFilterClick);
    connect(bbtnClose, &QPushButton::clicked, this, &QDialog::close);
    connect(ADOQ, &TQuery::dataReset, this, &TFrmReKanja::ShowDetail);
    connect(ADOQ, &TQuery::recordChanged, this, &TFrmReKanja::ShowDetail);

    resize(1080, 600);
}

TFrmReKanja::~TFrmReKanja() = default;

void TFrmReKanja::showEvent(QShowEvent* e)
{
    TFrmOBase::showEvent(e);
    if (FFirstShown)
        return;
    FFirstShown = true;
    nedtID->setAsInt64(FintID);
    ADOQ->setSql(R"(SELECT *, CAST((CASE WHEN "DELKBN" = 1 THEN '○' ELSE '' END) AS character varying(1)) AS "DELNM"
                    FROM "KLOV"."M_KANJA" ORDER BY "ID", "RNO")");
    // First column ascending; the statement's order keeps the revisions in sequence.
    dbgMei->setSortState(QStringLiteral("ID"), true);
    ADOQ->setSort(QStringLiteral("ID"));
    bbtnFilterClick();
    dbgMei->setFocus();
}

void TFrmReKanja::bbtnFilterClick()
{
    {
        TWaitCursor wait;
        try {
            if (ADOQ->active())
                ADOQ->requery();
            else
                ADOQ->open();
        } catch (const std::exception& e) {
            ADOQ->close();
            msg::warning(this, errorWarningText(e));
            return;
        }
    }
    applyFilter();
}

void TFrmReKanja::applyFilter()
{
    const qint64 id = nedtID->asInt64();
    if (id == 0)
        ADOQ->clearFilter();
    else
        ADOQ->setFilter([id](const TRecord& r) { return r.field(QStringLiteral("ID")).asInt64() == id; });
    ShowDetail();
}

QList<QLabel*> TFrmReKanja::detailLabels() const
{
    return {lblID, lblKNJKANA, lblKNJNAME, lblBIRTH, lblSEX, lblPOSTCD, lblADR1, lblADR2, lblTEL,
            lblFAX, lblKEITAI, lblMAIL, lblBIKO, lblINSDTM, lblUPDDTM, lblINSUSERID, lblUPDUSERID};
}

void TFrmReKanja::ShowDetail()
{
    if (!ADOQ->active() || ADOQ->isEmpty() || ADOQ->recNo() < 0) {
        lblDelSts->hide();
        for (QLabel* l : detailLabels())
            l->clear();
        return;
    }
    auto f = [this](const char* name) { return ADOQ->field(QString::fromLatin1(name)); };
    if (f("DELKBN").asInteger() == 1 || f("ACTKBN").asInteger() != 1) {
        const bool deleted = f("DELKBN").asInteger() == 1;
        lblDelSts->setText(deleted ? QStringLiteral("削除済") : QStringLiteral("修正済"));
        QPalette p = lblDelSts->palette();
        p.setColor(QPalette::Window, deleted ? QColor(Qt::red) : QColor(0, 128, 0));
        p.setColor(QPalette::WindowText, Qt::white);
        lblDelSts->setPalette(p);
        lblDelSts->show();
    } else {
        lblDelSts->hide();
    }
    lblID->setText(f("ID").asString());
    lblKNJKANA->setText(f("KNJKANA").asString());
    lblKNJNAME->setText(f("KNJNAME").asString());
    const QDate birth = f("BIRTH").isNull() ? QDate() : f("BIRTH").asDate();
    lblBIRTH->setText(birth.isValid() && !rec::isAbsentDate(birth) ? eraText::eraDate(birth) : QString());
    lblSEX->setText(f("SEX").asInteger() != 0 ? QStringLiteral("女性") : QStringLiteral("男性"));
    lblPOSTCD->setText(f("POSTCD").asString());
    lblADR1->setText(f("ADR1").asString());
    lblADR2->setText(f("ADR2").asString());
    lblTEL->setText(f("TEL").asString());
    lblFAX->setText(f("FAX").asString());
    lblKEITAI->setText(f("KEITAI").asString());
    lblMAIL->setText(f("MAIL").asString());
    lblBIKO->setText(f("BIKO").asString());
    lblINSDTM->setText(timestampText(f("INSDTM")));
    lblUPDDTM->setText(timestampText(f("UPDDTM")));
    lblINSUSERID->setText(f("INSUSERID").asString());
    lblUPDUSERID->setText(f("UPDUSERID").asString());
}
