#include "app/FrmDBSettingU.h"

#include "app/FrmOBaseU.h"
#include "app/Globals.h"
#include "app/MsgBox.h"
#include "app/Theme.h"

#include <QApplication>
#include <QDir>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

TFrmDBSetting::TFrmDBSetting(QWidget* parent) : QDialog(parent)
{
    theme::setupFixedDialog(this, QStringLiteral("TFrmDBSetting"), QStringLiteral("データベース設定"), theme::kCream);
    setStyleSheet(theme::focusEditStyle());

    auto* grid = new QGridLayout(this);
    auto* lbl1 = new QLabel(QStringLiteral("データソース名"), this);
    auto* lbl2 = new QLabel(QStringLiteral("DBパスワード"), this);
    edtSource = new QLineEdit(this);
    edtSource->setObjectName(QStringLiteral("edtSource"));
    edtSource->setMaxLength(128);
    edtSource->setAttribute(Qt::WA_InputMethodEnabled, false);
    edtSource->setMinimumWidth(260);
    edtPass = new QLineEdit(this);
    edtPass->setObjectName(QStringLiteral("edtPass"));
    edtPass->setMaxLength(128);
    edtPass->setEchoMode(QLineEdit::Password);
    edtPass->setAttribute(Qt::WA_InputMethodEnabled, false);
    Button1 = new QPushButton(QStringLiteral("設　定"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setAutoDefault(false);
    Button2 = new QPushButton(QStringLiteral("キャンセル"), this);
    Button2->setObjectName(QStringLiteral("Button2"));
    Button2->setFocusPolicy(Qt::ClickFocus);
    Button2->setAutoDefault(false);
    grid->addWidget(lbl1, 0, 0);
    grid->addWidget(edtSource, 0, 1);
    grid->addWidget(lbl2, 1, 0);
    grid->addWidget(edtPass, 1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Button1);
    buttons->addWidget(Button2);
    grid->addLayout(buttons, 2, 0, 1, 2);

    connect(Button1, &QPushButton::clicked, this, &TFrmDBSetting::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject);
    installEventFilter(this);
    edtSource->installEventFilter(this);
    edtPass->installEventFilter(this);
    Button1->installEventFilter(this);
}

void TFrmDBSetting::showEvent(QShowEvent* e)
{
    QDialog::showEvent(e);
    QTimer::singleShot(0, this, [this] { edtSource->setFocus(); });
}

bool TFrmDBSetting::eventFilter(QObject* watched, QEvent* event)
{
    if (handleEnterKey(this, event))
        return true;
    return QDialog::eventFilter(watched, event);
}

void TFrmDBSetting::Button1Click()
{
    QDir().mkpath(G().dataFolder);
    auto leadingTrimmed = [](const QString& s) {
        int i = 0;
        while (i < s.size() && s[i].isSpace())
            ++i;
        return s.mid(i);
    };
    if (leadingTrimmed(edtSource->text()).isEmpty()) {
        msg::platformWarning(this, QStringLiteral("データソースが未設定です。"));
        edtSource->setFocus();
        return;
    }
    if (leadingTrimmed(edtPass->text()).isEmpty()) {
        msg::platformWarning(this, QStringLiteral("パスワードが未設定です。"));
        edtSource->setFocus();
        return;
    }
    FSource = edtSource->text();
    FPass = edtPass->text();
    accept();
}
