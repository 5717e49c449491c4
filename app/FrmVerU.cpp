#include "app/FrmVerU.h"

#include "app/Theme.h"

#include <QDesktopServices>
#include <QEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QUrl>
#include <QVBoxLayout>

TFrmVer::TFrmVer(QWidget* parent) : QDialog(parent)
{
    theme::setupFixedDialog(this, QStringLiteral("TFrmVer"), QStringLiteral("バージョン情報"), theme::kCream);
    QFont f = font();

    auto* layout = new QVBoxLayout(this);
    auto* box = new QFrame(this);
    box->setFrameShape(QFrame::Box);
    auto* boxLayout = new QVBoxLayout(box);
    lblName = new QLabel(box);
    lblName->setObjectName(QStringLiteral("lblName"));
    lblName->setAlignment(Qt::AlignCenter);
    QFont big = f;
    big.setPixelSize(16);
    big.setBold(true);
    lblName->setFont(big);
    lblVer = new QLabel(QStringLiteral("Version"), box);
    lblVer->setObjectName(QStringLiteral("lblVer"));
    lblVer->setAlignment(Qt::AlignCenter);
    boxLayout->addWidget(lblName);
    boxLayout->addWidget(lblVer);
    layout->addWidget(box);
    auto* line = new QLabel(QStringLiteral("退院サマリの作成を支援します。"), this);
    line->setAlignment(Qt::AlignCenter);
    layout->addWidget(line);

    auto* mailRow = new QHBoxLayout;
    auto* icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("imgMail"));
    icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(24, 24));
    icon->installEventFilter(this);
    lblMail = new QLabel(QStringLiteral("不具合・ご質問等はこちらまで"), this);
    lblMail->setObjectName(QStringLiteral("lblMail"));
    lblMail->installEventFilter(this);
    mailRow->addWidget(icon);
    mailRow->addWidget(lblMail);
    mailRow->addStretch();
    layout->addLayout(mailRow);

    btnOK = new QPushButton(QStringLiteral("OK"), this);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnOK->setDefault(true);
    auto* okRow = new QHBoxLayout;
    okRow->addStretch();
    okRow->addWidget(btnOK);
    okRow->addStretch();
    layout->addLayout(okRow);
    connect(btnOK, &QPushButton::clicked, this, &QDialog::accept);
}

void TFrmVer::showEvent(QShowEvent* e)
{
    lblName->setText(FstrName);
    lblVer->setText(versionText());
    QDialog::showEvent(e);
}

void TFrmVer::openMail() { QDesktopServices::openUrl(QUrl(supportMail())); }

bool TFrmVer::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == lblMail && event->type() == QEvent::Enter) {
        lblMail->setCursor(Qt::PointingHandCursor);
        lblMail->setStyleSheet(QStringLiteral("color: blue;"));
    } else if (watched == lblMail && event->type() == QEvent::Leave) {
        lblMail->unsetCursor();
        lblMail->setStyleSheet(QString());
    } else if (event->type() == QEvent::MouseButtonRelease && watched->isWidgetType()
               && (watched == lblMail || watched->objectName() == QLatin1String("imgMail"))) {
        openMail();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}
