#pragma once
// The master maintenance menu: one button per maintenance screen, each
// opened modally. The user, hospital, department, assignment and import
// screens are for maintenance users only.

#include "app/FrmOBaseU.h"

class QPushButton;

class TFrmMntMenu : public TFrmOBase {
    Q_OBJECT
public:
    explicit TFrmMntMenu(QWidget* parent = nullptr);

    QPushButton* bbtn01;   // ユーザーメンテ
    QPushButton* bbtn02;   // 施設情報メンテ
    QPushButton* bbtn03;   // 患者メンテ
    QPushButton* bbtn04;   // 医師所属診療科メンテ
    QPushButton* bbtn05;   // 診療科メンテ
    QPushButton* bbtn06;   // 患者病名メンテ
    QPushButton* bbtn07;   // 患者手術情報メンテ
    QPushButton* bbtn08;   // アレルギーメンテ
    QPushButton* bbtn09;   // デバイスメンテ
    QPushButton* bbtn99;   // 患者CSV取込
    QPushButton* bbtnClose;

    // Enables the maintenance-only buttons for a user with maintenance rights.
    void applyPermissions();

protected:
    void showEvent(QShowEvent* e) override;
};

// Opens the menu modally (the main window's "マスタメンテナンス").
void OpenMntMenu(QWidget* parent);
