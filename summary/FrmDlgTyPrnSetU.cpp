#include "summary/FrmDlgTyPrnSetU.h"

#include "app/FrmOBaseU.h"
#include "app/Theme.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

TFrmDlgTyPrnSet::TFrmDlgTyPrnSet(QWidget* parent) : QDialog(parent)
{
    theme::setupFixedDialog(this, QStringLiteral("TFrmDlgTyPrnSet"), QStringLiteral("退院サマリ作成支援"), theme::kCream,
                            true);
    setModal(true);

    auto* grid = new QGridLayout;
    auto caption = [this](const char* text) {
        auto* l = new QLabel(QString::fromUtf8(text), this);
        l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        return l;
    };
    auto value = [this](const char* name) {
        auto* l = new QLabel(this);
        l->setObjectName(QString::fromLatin1(name));
        l->setMinimumWidth(80);
        return l;
    };
    lblKNJNM = value("lblKNJNM");
    lblID = value("lblID");
    lblKANM = value("lblKANM");
    lblNYUKIKAN = value("lblNYUKIKAN");
    grid->addWidget(caption("患　者"), 0, 0);
    grid->addWidget(lblKNJNM, 0, 1);
    grid->addWidget(lblID, 0, 2);
    grid->addWidget(caption("診療科"), 1, 0);
    grid->addWidget(lblKANM, 1, 1, 1, 2);
    grid->addWidget(caption("入院期間"), 2, 0);
    grid->addWidget(lblNYUKIKAN, 2, 1, 1, 2);
    grid->setColumnStretch(1, 1);

    cbPrnHosp = new QCheckBox(QStringLiteral("当施設情報を印字する"), this);
    cbPrnHosp->setObjectName(QStringLiteral("cbPrnHosp"));
    cbPrnDtm = new QCheckBox(QStringLiteral("出力日時を印字する"), this);
    cbPrnDtm->setObjectName(QStringLiteral("cbPrnDtm"));

    bbtnOk = new QPushButton(QStringLiteral("OK"), this);
    bbtnOk->setObjectName(QStringLiteral("bbtnOk"));
    bbtnOk->setAutoDefault(false);
    bbtnOk->setDefault(true);
    bbtnCancel = new QPushButton(QStringLiteral("キャンセル"), this);
    bbtnCancel->setObjectName(QStringLiteral("bbtnCancel"));
    bbtnCancel->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(bbtnOk);
    buttons->addWidget(bbtnCancel);

    auto* v = new QVBoxLayout(this);
    v->addLayout(grid);
    v->addSpacing(8);
    v->addWidget(cbPrnHosp);
    v->addWidget(cbPrnDtm);
    v->addSpacing(8);
    v->addLayout(buttons);

    connect(bbtnOk, &QPushButton::clicked, this, &TFrmDlgTyPrnSet::bbtnOkClick);
    connect(bbtnCancel, &QPushButton::clicked, this, &QDialog::reject);
    for (QWidget* w : {static_cast<QWidget*>(cbPrnHosp), static_cast<QWidget*>(cbPrnDtm),
                       static_cast<QWidget*>(bbtnOk)})
        w->installEventFilter(this);
}

TFrmDlgTyPrnSet::~TFrmDlgTyPrnSet() = default;

void TFrmDlgTyPrnSet::showEvent(QShowEvent* e)
{
    // The caller's texts, and the defaults at every opening. The window
    // system showing it again (after minimising, say) keeps the choices.
    if (e->spontaneous()) {
        QDialog::showEvent(e);
        return;
    }
    lblKNJNM->setText(FKNJNM);
    lblID->setText(FID);
    lblKANM->setText(FKANM);
    lblNYUKIKAN->setText(FNDTE + QStringLiteral("～") + FTDTE);
    cbPrnHosp->setChecked(true);
    cbPrnDtm->setChecked(false);
    QDialog::showEvent(e);
    bbtnOk->setFocus();
}

bool TFrmDlgTyPrnSet::eventFilter(QObject* watched, QEvent* event)
{
    if (handleEnterKey(this, event))
        return true;
    return QDialog::eventFilter(watched, event);
}

void TFrmDlgTyPrnSet::bbtnOkClick()
{
    FPRNHOSP = cbPrnHosp->isChecked();
    FPRNDTM = cbPrnDtm->isChecked();
    accept();
}
