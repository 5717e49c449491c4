#include "app/FrmLoginU.h"

#include "app/CommonU.h"
#include "app/FrmOBaseU.h"
#include "app/Globals.h"
#include "app/MsgBox.h"
#include "app/Theme.h"
#include "app/UntDM.h"
#include "db/Errors.h"
#include "db/Query.h"

#include <QApplication>
#include <QDir>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

TFrmLogin::TFrmLogin(QWidget* parent) : QDialog(parent)
{
    theme::setupFixedDialog(this, QStringLiteral("TFrmLogin"), msg::kCaption, theme::kSkyBlue, true);
    setStyleSheet(theme::focusEditStyle());

    auto* grid = new QGridLayout(this);
    edtUser = new QLineEdit(this);
    edtUser->setObjectName(QStringLiteral("edtUser"));
    edtPass = new QLineEdit(this);
    edtPass->setObjectName(QStringLiteral("edtPass"));
    edtPass->setEchoMode(QLineEdit::Password);
    for (QLineEdit* e : {edtUser, edtPass}) {
        e->setMaxLength(10);
        e->setAttribute(Qt::WA_InputMethodEnabled, false);
        e->setMinimumWidth(160);
        e->installEventFilter(this);
    }
    Button1 = new QPushButton(QStringLiteral("ログイン"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setAutoDefault(false);
    Button1->installEventFilter(this);
    Button2 = new QPushButton(QStringLiteral("キャンセル"), this);
    Button2->setObjectName(QStringLiteral("Button2"));
    Button2->setFocusPolicy(Qt::ClickFocus);
    Button2->setAutoDefault(false);
    grid->addWidget(new QLabel(QStringLiteral("ユーザーID"), this), 0, 0);
    grid->addWidget(edtUser, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("パスワード"), this), 1, 0);
    grid->addWidget(edtPass, 1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Button1);
    buttons->addWidget(Button2);
    grid->addLayout(buttons, 2, 0, 1, 2);
    setTabOrder(edtUser, edtPass);
    setTabOrder(edtPass, Button1);

    ADOQ = new TQuery(nullptr, this);
    ADOQ->setObjectName(QStringLiteral("ADOQ"));
    connect(Button1, &QPushButton::clicked, this, &TFrmLogin::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject);
    installEventFilter(this);
}

TFrmLogin::~TFrmLogin() = default;

bool TFrmLogin::eventFilter(QObject* watched, QEvent* event)
{
    if (handleEnterKey(this, event))
        return true;
    return QDialog::eventFilter(watched, event);
}

void TFrmLogin::showEvent(QShowEvent* e)
{
    QDialog::showEvent(e);
    // Connect once the dialog is on the screen: pumping events inside the
    // show event would map the window before it is laid out.
    QTimer::singleShot(0, this, [this] {
        if (!FConnected && !ConnectDb()) {
            FTerminate = true;
            reject();
            return;
        }
        QApplication::processEvents();
        if (edtUser->text().isEmpty())
            edtUser->setFocus();
        else
            edtPass->setFocus();
    });
}

bool TFrmLogin::ConnectDb()
{
    QDir().mkpath(G().dataFolder);
    QApplication::processEvents();
    try {
        dm().connectDb(G().dbSource, G().dbPass);
        ADOQ->close();
        ADOQ->setConnection(&dm().ADOCPOST);
        edtUser->setFocus();
        FConnected = true;
        return true;
    } catch (const std::exception&) {
        CommonU::WriteIniStr(QStringLiteral("KLOVDB"), QStringLiteral("PASS"), QString());
        CommonU::WriteIniStr(QStringLiteral("KLOVDB"), QStringLiteral("SOURCE"), QString());
        msg::warning(this, QStringLiteral("データベースに障害が発生しました。"));
        return false;
    }
}

void TFrmLogin::Button1Click()
{
    ++FintCnt;
    bool failed = false;
    try {
        const QDate today = CommonU::GetServerTime().date();
        const QString userId = edtUser->text().trimmed();
        ADOQ->setSql(R"(SELECT * FROM "KLOV"."M_USER" WHERE "USERID" = :USERID)");
        ADOQ->setText("USERID", userId, 24);
        ADOQ->open();
        if (ADOQ->eof()) {
            msg::platformWarning(this, QStringLiteral("未登録ユーザーです。"));
            edtUser->setFocus();
            failed = true;
        } else {
            const QDate from = ADOQ->field("YSTRDTE").asDate();
            const QDate to = ADOQ->field("YENDDTE").asDate();
            const bool valid = from.isValid() && to.isValid() && from <= today && today <= to;
            if (!valid) {
                msg::platformWarning(this, QStringLiteral("本ユーザーは有効期間") + from.toString(QStringLiteral("yyyy/MM/dd"))
                                               + QStringLiteral("～") + to.toString(QStringLiteral("yyyy/MM/dd"))
                                               + QStringLiteral("のためログインできません。"));
                edtUser->setFocus();
                failed = true;
            }
            if (ADOQ->field("PASSW").asString().trimmed() != edtPass->text().trimmed()) {
                msg::platformWarning(this, QStringLiteral("パスワードが違います。"));
                edtPass->setFocus();
                failed = true;
            } else if (!failed) {
                TLoginUser& u = G().user;
                u.userId = userId;
                u.userName = ADOQ->field("USERNM").asString().trimmed();
                u.jobType = ADOQ->field("JTYP").asInteger();
                u.WOK = ADOQ->field("WOK").asInteger() == 1;
                u.SOK = ADOQ->field("SOK").asInteger() == 1;
                u.KOK = ADOQ->field("KOK").asInteger() == 1;
                u.MNTFLG = ADOQ->field("MNTFLG").asInteger() == 1;
            }
        }
        ADOQ->close();
    } catch (const std::exception& e) {
        ADOQ->close();
        msg::warning(this, errorWarningText(e));
        failed = true;
    }
    if (!failed) {
        CommonU::WriteIniStr(QStringLiteral("KLOVDB"), QStringLiteral("USER"), G().user.userId);
        accept();
        return;
    }
    if (FintCnt > 2)
        reject();
}
