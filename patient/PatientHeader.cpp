#include "patient/PatientHeader.h"

#include "app/CommonU.h"
#include "app/Globals.h"
#include "app/UntDM.h"
#include "controls/EraText.h"
#include "controls/NumberEdit.h"
#include "controls/Widgets.h"
#include "db/Query.h"
#include "db/Records.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QToolButton>
#include <QVBoxLayout>

TPatientHeader::TPatientHeader(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("TPatientHeader"));
    auto* outer = new QHBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);

    auto* box = new QFrame(this);
    box->setObjectName(QStringLiteral("pnlKanja"));
    box->setFrameShape(QFrame::StyledPanel);
    auto* grid = new QGridLayout(box);
    grid->setContentsMargins(6, 4, 6, 4);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(3);

    lblKNJKANA = widgets::valueLabel(box, QStringLiteral("lblKNJKANA"), 220);
    lblKNJNAME = widgets::valueLabel(box, QStringLiteral("lblKNJNAME"), 220);
    QFont big = lblKNJNAME->font();
    big.setPixelSize(16);
    big.setBold(true);
    lblKNJNAME->setFont(big);
    lblSEX = widgets::valueLabel(box, QStringLiteral("lblSEX"), 44);
    lblSEX->setAlignment(Qt::AlignCenter);
    lblAGE = widgets::valueLabel(box, QStringLiteral("lblAGE"), 36);
    lblAGE->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    lblBIRTH = widgets::valueLabel(box, QStringLiteral("lblBIRTH"), 190);

    grid->addWidget(widgets::caption(box, QStringLiteral("カナ")), 0, 0);
    grid->addWidget(lblKNJKANA, 0, 1);
    grid->addWidget(widgets::caption(box, QStringLiteral("性別")), 0, 2);
    grid->addWidget(lblSEX, 0, 3);
    grid->addWidget(widgets::caption(box, QStringLiteral("年齢")), 0, 4);
    grid->addWidget(lblAGE, 0, 5);
    FAgeUnit = new QLabel(QStringLiteral("歳"), box);
    grid->addWidget(FAgeUnit, 0, 6);
    grid->addWidget(widgets::caption(box, QStringLiteral("氏名")), 1, 0);
    grid->addWidget(lblKNJNAME, 1, 1);
    grid->addWidget(widgets::caption(box, QStringLiteral("生年月日")), 1, 2);
    grid->addWidget(lblBIRTH, 1, 3, 1, 4);
    grid->setColumnStretch(1, 1);

    outer->addWidget(box, 0);
    FExtra = new QHBoxLayout;
    FExtra->setContentsMargins(0, 0, 0, 0);
    outer->addLayout(FExtra, 1);
}

void TPatientHeader::addExtra(QWidget* w, int stretch)
{
    w->setParent(this);
    FExtra->addWidget(w, stretch);
}

QString TPatientHeader::sexText(int sex)
{
    switch (sex) {
    case 0: return QStringLiteral("男性");
    case 1: return QStringLiteral("女性");
    default: return QStringLiteral("不明");
    }
}

void TPatientHeader::setAgeUnit(const QString& unit) { FAgeUnit->setText(unit); }

void TPatientHeader::clear()
{
    for (QLabel* l : {lblKNJKANA, lblKNJNAME, lblSEX, lblAGE, lblBIRTH})
        l->clear();
    FFound = false;
}

bool TPatientHeader::load(qint64 id)
{
    clear();
    FID = id;
    TQuery q(&dm().ADOCPOST);
    q.setSql(R"(SELECT "KNJKANA", "KNJNAME", "SEX", "BIRTH" FROM "KLOV"."M_KANJA"
                WHERE "ID" = :ID AND "ACTKBN" = 1 AND "DELKBN" = 0)");
    q.setInt64("ID", id);
    q.open();
    if (q.eof())
        return false;
    lblKNJKANA->setText(q.field("KNJKANA").asString());
    lblKNJNAME->setText(q.field("KNJNAME").asString());
    lblSEX->setText(q.field("SEX").isNull() ? sexText(-1) : sexText(q.field("SEX").asInteger()));
    const QDate birth = q.field("BIRTH").isNull() ? QDate() : q.field("BIRTH").asDate();
    if (birth.isValid() && !rec::isAbsentDate(birth)) {
        lblAGE->setText(QString::number(CommonU::AgeYears(QDate::currentDate(), birth)));
        lblBIRTH->setText(eraText::birthText(birth));
    }
    FFound = true;
    return true;
}

TNumberEdit* newPatientIdEdit(QWidget* parent)
{
    return widgets::wholeNumberEdit(parent, QStringLiteral("nedtID"), 9999999999LL, 110);
}

TPatientPick newPatientPick(QWidget* parent)
{
    TPatientPick p;
    p.nedtID = newPatientIdEdit(parent);
    p.bbtnIdSrc = new QToolButton(parent);
    p.bbtnIdSrc->setObjectName(QStringLiteral("bbtnIdSrc"));
    p.bbtnIdSrc->setText(QStringLiteral("患者検索"));
    p.bbtnIdSrc->setMinimumHeight(26);
    p.header = new TPatientHeader(parent);
    auto* idRow = new QHBoxLayout;
    idRow->addWidget(new QLabel(QStringLiteral("患者ID"), parent));
    idRow->addWidget(p.nedtID);
    idRow->addWidget(p.bbtnIdSrc);
    auto* idBox = new QVBoxLayout;
    idBox->addLayout(idRow);
    idBox->addStretch();
    p.layout = new QHBoxLayout;
    p.layout->addLayout(idBox);
    p.layout->addWidget(p.header, 1);
    return p;
}
