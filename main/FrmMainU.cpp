#include "main/FrmMainU.h"

#include "app/FrmLoginU.h"
#include "app/FrmVerU.h"
#include "app/Globals.h"
#include "app/MsgBox.h"
#include "app/Theme.h"
#include "app/UntDM.h"
#include "db/Errors.h"
#include "db/Query.h"
#include "db/Records.h"

#include <QAction>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>

TFrmMain::TFrmMain(QWidget* parent) : TFrmOBase(parent)
{
    setObjectName(QStringLiteral("TFrmMain"));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
    ADOQ = new TQuery(nullptr, this);
    ADOQ->setObjectName(QStringLiteral("ADOQ"));
    ADOQMail = new TQuery(nullptr, this);
    ADOQMail->setObjectName(QStringLiteral("ADOQMail"));
    buildMenu();

    auto* body = new QVBoxLayout(this->body());
    body->setContentsMargins(4, 4, 4, 4);
    auto* top = new QWidget(this->body());
    top->setObjectName(QStringLiteral("pnlTop"));
    theme::setBackground(top, theme::kCream);
    auto* topRow = new QHBoxLayout(top);
    bbtnMail = new QPushButton(QStringLiteral("メール"), top);
    bbtnMail->setObjectName(QStringLiteral("bbtnMail"));
    lblNoRead = new QLabel(QStringLiteral("0"), top);
    lblNoRead->setObjectName(QStringLiteral("lblNoRead"));
    lblSIKYU = new QLabel(QStringLiteral("0"), top);
    lblSIKYU->setObjectName(QStringLiteral("lblSIKYU"));
    lblUserNm = new QLabel(top);
    lblUserNm->setObjectName(QStringLiteral("lblUserNm"));
    lblJTyp = new QLabel(top);
    lblJTyp->setObjectName(QStringLiteral("lblJTyp"));
    topRow->addWidget(bbtnMail);
    topRow->addWidget(new QLabel(QStringLiteral("未読"), top));
    topRow->addWidget(lblNoRead);
    topRow->addWidget(new QLabel(QStringLiteral("件"), top));
    topRow->addWidget(new QLabel(QStringLiteral("至急"), top));
    topRow->addWidget(lblSIKYU);
    topRow->addWidget(new QLabel(QStringLiteral("件"), top));
    topRow->addStretch();
    topRow->addWidget(new QLabel(QStringLiteral("利用者"), top));
    topRow->addWidget(lblUserNm);
    topRow->addWidget(lblJTyp);
    body->addWidget(top);
    body->addStretch(1);

    auto* buttons = new QHBoxLayout;
    bbtnClose = new QPushButton(QStringLiteral("閉じる"), this->body());
    bbtnClose->setObjectName(QStringLiteral("bbtnClose"));
    buttons->addWidget(bbtnClose);
    buttons->addStretch();
    body->addLayout(buttons);
    connect(bbtnClose, &QPushButton::clicked, this, &QWidget::close);

    Timer2 = new QTimer(this);
    Timer2->setObjectName(QStringLiteral("Timer2"));
    Timer2->setInterval(30000);
    connect(Timer2, &QTimer::timeout, this, &TFrmMain::UpdateMailCount);
}

TFrmMain::~TFrmMain() = default;

void TFrmMain::buildMenu()
{
    mnuMain = new QMenuBar(this);
    mnuMain->setObjectName(QStringLiteral("mnuMain"));
    layout()->setMenuBar(mnuMain);
    auto item = [this](QMenu* menu, const char* name, const QString& text) {
        QAction* a = menu->addAction(text);
        a->setObjectName(QString::fromLatin1(name));
        return a;
    };
    QMenu* setting = mnuMain->addMenu(QStringLiteral("設定"));
    N2 = item(setting, "N2", QStringLiteral("マスタメンテナンス"));
    QARNLink = item(setting, "QARNLink", QStringLiteral("QARN患者連携"));
    QARNLink->setCheckable(true);
    QARNLink->setVisible(false);
    QMenu* output = mnuMain->addMenu(QStringLiteral("出力"));
    CSV1 = item(output, "CSV1", QStringLiteral("退院サマリCSV出力"));
    CSV2 = item(output, "CSV2", QStringLiteral("患者アレルギー情報CSV出力"));
    CSV3 = item(output, "CSV3", QStringLiteral("患者デバイス情報CSV出力"));
    QMenu* database = mnuMain->addMenu(QStringLiteral("データベース"));
    mmnBack = item(database, "mmnBack", QStringLiteral("データベース退避"));
    mmnRestor = item(database, "mmnRestor", QStringLiteral("データベース復元"));
    QMenu* help = mnuMain->addMenu(QStringLiteral("ヘルプ"));
    N6 = item(help, "N6", QStringLiteral("ヘルプを開く"));
    N6->setShortcut(QKeySequence(Qt::Key_F1));
    addAction(N6);
    help->addSeparator();
    N8 = item(help, "N8", QStringLiteral("バージョン情報"));

    connect(QARNLink, &QAction::triggered, this, &TFrmMain::QARNLinkClick);
    connect(N6, &QAction::triggered, this, &TFrmMain::N6Click);
    connect(N8, &QAction::triggered, this, &TFrmMain::N8Click);
}

void TFrmMain::showEvent(QShowEvent* e)
{
    TFrmOBase::showEvent(e);
    if (!FFirstShown) {
        FFirstShown = true;
        QTimer::singleShot(0, this, &TFrmMain::FormFirstShow);
    }
}

void TFrmMain::FormFirstShow()
{
    ADOQ->setConnection(&dm().ADOCPOST);
    ADOQMail->setConnection(&dm().ADOCPOST);
    {
        TFrmLogin login(this);
        if (login.exec() != QDialog::Accepted) {
            close();
            return;
        }
    }
    FLoggedIn = true;
    lblUserNm->setText(G().user.userName);
    lblJTyp->setText(G().user.jobType == 0   ? QStringLiteral("医師")
                     : G().user.jobType == 1 ? QStringLiteral("ＤＣ")
                                             : QStringLiteral("その他"));
    Timer1Timer();
    Timer2->start();
    mmnBack->setEnabled(G().user.MNTFLG);
    mmnRestor->setEnabled(G().user.MNTFLG);

    ADOQMail->setSql(R"(SELECT COUNT(*) AS "CNT", SUM(CASE WHEN "LBLKBN" = 1 THEN 1 ELSE 0 END) AS "SIKYU"
                        FROM "KLOV"."D_MESS" WHERE "RUSERID" = :USERID AND "RDELFLG" = 0 AND "KFLG" = 0)");
    ADOQMail->setText("USERID", G().user.userId, 24);
    UpdateMailCount();

    ADOQ->setSql(R"(SELECT * FROM information_schema.tables WHERE table_schema = 'QARN' AND table_name = 'M_KANJA')");
    ADOQ->open();
    G().qarnPresent = !ADOQ->eof();
    ADOQ->close();
    G().qarnLink = false;
    if (G().qarnPresent) {
        ADOQ->setSql(R"(SELECT * FROM "KLOV"."M_SYSTEM" WHERE "CODE" = 10)");
        ADOQ->open();
        G().qarnLink = !ADOQ->eof() && ADOQ->field("NUM1").asInteger() == 1;
        ADOQ->close();
    }
    QARNLink->setVisible(G().qarnPresent);
    QARNLink->setChecked(G().qarnLink);
}

void TFrmMain::UpdateMailCount()
{
    if (ADOQMail->sql().isEmpty())
        return;
    try {
        ADOQMail->open();
        const bool row = !ADOQMail->eof();
        lblNoRead->setText(QString::number(row ? ADOQMail->field("CNT").asInteger() : 0));
        lblSIKYU->setText(QString::number(row ? ADOQMail->field("SIKYU").asInteger() : 0));
        ADOQMail->close();
    } catch (const EDatabaseError&) {
        // the next tick tries again
    }
}

void TFrmMain::QARNLinkClick()
{
    const bool link = QARNLink->isChecked();
    G().qarnLink = link;
    try {
        ADOQ->setSql(R"(SELECT * FROM "KLOV"."M_SYSTEM" WHERE "CODE" = 10)");
        ADOQ->open();
        const bool exists = !ADOQ->eof();
        ADOQ->close();
        if (!exists)
            ADOQ->setSql(R"(INSERT INTO "KLOV"."M_SYSTEM" ("CODE","NUM1","STR1") VALUES (10,:LFLG,'QARN患者属性連携フラグ'))");
        else
            ADOQ->setSql(R"(UPDATE "KLOV"."M_SYSTEM" SET "NUM1" = :LFLG WHERE "CODE" = 10)");
        ADOQ->setInt("LFLG", link ? 1 : 0);
        ADOQ->execSql();
    } catch (const std::exception& e) {
        msg::warning(this, errorWarningText(e));
        return;
    }
    msg::information(this, link ? QStringLiteral("今後QARNと患者情報連携します。")
                                : QStringLiteral("今後QARNと患者情報連携しません。"));
}

QString TFrmMain::helpFile()
{
    const QString dir = QCoreApplication::applicationDirPath() + QLatin1Char('/');
    for (const char* name : {"KLOV.chm", "KLOV.html", "help/index.html"}) {
        const QString path = dir + QString::fromLatin1(name);
        if (QFileInfo::exists(path))
            return path;
    }
    return {};
}

void TFrmMain::N6Click()
{
    const QString file = helpFile();
    if (!file.isEmpty())
        QDesktopServices::openUrl(QUrl::fromLocalFile(file));
}

void TFrmMain::N8Click()
{
    TFrmVer ver(this);
    ver.FstrName = QStringLiteral("退院サマリー作成支援システム「ＫＬＯＶ」");
    ver.exec();
}
