#include "admin/FrmMntMenuU.h"

#include "admin/FrmMntDrKaU.h"
#include "admin/FrmMntHospU.h"
#include "admin/FrmMntKaU.h"
#include "admin/FrmMntUserU.h"
#include "app/Globals.h"
#include "app/Theme.h"
#include "controls/Widgets.h"
#include "patient/FrmImpKanjaU.h"
#include "patient/FrmMntAllergyU.h"
#include "patient/FrmMntDeviceU.h"
#include "patient/FrmMntKanbyoU.h"
#include "patient/FrmMntKanjaU.h"
#include "patient/FrmMntKanopeU.h"

#include <QGridLayout>
#include <QPushButton>
#include <QShowEvent>

namespace {

void openPatientImport(QWidget* parent) { OpenImpKanja(parent); }

template <class TForm>
void openModal(QWidget* parent)
{
    TForm dlg(parent);
    dlg.exec();
}

} // namespace

TFrmMntMenu::TFrmMntMenu(QWidget* parent) : TFrmOBase(parent)
{
    setObjectName(QStringLiteral("TFrmMntMenu"));
    setWindowTitle(QStringLiteral("マスタメンテナンスメニュー"));
    theme::setBackground(this, theme::kCream);

    auto* grid = new QGridLayout(body());
    grid->setContentsMargins(24, 20, 24, 16);
    grid->setHorizontalSpacing(16);
    grid->setVerticalSpacing(10);
    auto button = [this](const char* name, const QString& text) {
        QPushButton* b = widgets::button(body(), QString::fromLatin1(name), text);
        b->setMinimumSize(200, 36);
        return b;
    };
    bbtn01 = button("bbtn01", QStringLiteral("ユーザーメンテ"));
    bbtn02 = button("bbtn02", QStringLiteral("施設情報メンテ"));
    bbtn03 = button("bbtn03", QStringLiteral("患者メンテ"));
    bbtn04 = button("bbtn04", QStringLiteral("医師所属診療科メンテ"));
    bbtn05 = button("bbtn05", QStringLiteral("診療科メンテ"));
    bbtn06 = button("bbtn06", QStringLiteral("患者病名メンテ"));
    bbtn07 = button("bbtn07", QStringLiteral("患者手術情報メンテ"));
    bbtn08 = button("bbtn08", QStringLiteral("アレルギーメンテ"));
    bbtn09 = button("bbtn09", QStringLiteral("デバイスメンテ"));
    bbtn99 = button("bbtn99", QStringLiteral("患者CSV取込"));
    bbtnClose = button("bbtnClose", QStringLiteral("閉じる"));

    // Masters on the left, the patient screens on the right.
    grid->addWidget(bbtn01, 0, 0);
    grid->addWidget(bbtn02, 1, 0);
    grid->addWidget(bbtn05, 2, 0);
    grid->addWidget(bbtn04, 3, 0);
    grid->addWidget(bbtn99, 4, 0);
    grid->addWidget(bbtn03, 0, 1);
    grid->addWidget(bbtn06, 1, 1);
    grid->addWidget(bbtn07, 2, 1);
    grid->addWidget(bbtn08, 3, 1);
    grid->addWidget(bbtn09, 4, 1);
    grid->setRowMinimumHeight(5, 12);
    grid->addWidget(bbtnClose, 6, 1);

    connect(bbtn01, &QPushButton::clicked, this, [this] { OpenUserMaintenance(this); });
    connect(bbtn02, &QPushButton::clicked, this, [this] { openModal<TFrmMntHosp>(this); });
    connect(bbtn03, &QPushButton::clicked, this, [this] { openModal<TFrmMntKanja>(this); });
    connect(bbtn04, &QPushButton::clicked, this, [this] { openModal<TFrmMntDrKa>(this); });
    connect(bbtn05, &QPushButton::clicked, this, [this] { openModal<TFrmMntKa>(this); });
    connect(bbtn06, &QPushButton::clicked, this, [this] { OpenKanbyoList(this, 0); });
    connect(bbtn07, &QPushButton::clicked, this, [this] { OpenKanopeList(this, 0); });
    connect(bbtn08, &QPushButton::clicked, this, [this] { OpenAllergyList(this, 0); });
    connect(bbtn09, &QPushButton::clicked, this, [this] { OpenDeviceList(this, 0); });
    connect(bbtn99, &QPushButton::clicked, this, [this] { openPatientImport(this); });
    connect(bbtnClose, &QPushButton::clicked, this, &QDialog::close);
}

void TFrmMntMenu::applyPermissions()
{
    const bool mnt = G().user.MNTFLG;
    for (QPushButton* b : {bbtn01, bbtn02, bbtn04, bbtn05, bbtn99})
        b->setEnabled(mnt);
}

void TFrmMntMenu::showEvent(QShowEvent* e)
{
    applyPermissions();
    TFrmOBase::showEvent(e);
}

void OpenMntMenu(QWidget* parent) { openModal<TFrmMntMenu>(parent); }
