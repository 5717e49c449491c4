#include "patient/FrmDspErrLogU.h"

#include "app/CsvFile.h"
#include "app/MsgBox.h"
#include "app/Theme.h"
#include "controls/Widgets.h"

#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

TFrmDspErrLog::TFrmDspErrLog(QWidget* parent) : TFrmOBase(parent)
{
    setObjectName(QStringLiteral("TFrmDspErrLog"));
    setWindowTitle(QStringLiteral("退院サマリ作成支援"));
    theme::setBackground(this, theme::kCream);

    QWidget* b = body();
    auto* root = new QVBoxLayout(b);
    root->setContentsMargins(12, 10, 12, 8);
    memErrLog = new QPlainTextEdit(b);
    memErrLog->setObjectName(QStringLiteral("memErrLog"));
    memErrLog->setReadOnly(true);
    memErrLog->setLineWrapMode(QPlainTextEdit::NoWrap);
    root->addWidget(memErrLog);

    bbtnLogSave = widgets::button(b, QStringLiteral("bbtnLogSave"), QStringLiteral("　保　存"));
    bbtnClose = widgets::button(b, QStringLiteral("bbtnClose"), QStringLiteral("閉じる"));
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(bbtnLogSave);
    buttons->addStretch();
    buttons->addWidget(bbtnClose);
    root->addLayout(buttons);

    FAskSaveFile = [](QWidget* p) {
        return csv::askSaveFileTitled(p, QStringLiteral("エラーログ保存"), QString(), QStringLiteral("エラーログ(*.txt)"));
    };
    connect(bbtnLogSave, &QPushButton::clicked, this, &TFrmDspErrLog::bbtnLogSaveClick);
    connect(bbtnClose, &QPushButton::clicked, this, &QDialog::close);
    resize(640, 420);
}

void TFrmDspErrLog::showEvent(QShowEvent* e)
{
    memErrLog->setPlainText(FslErrLog.join(QLatin1Char('\n')));
    TFrmOBase::showEvent(e);
}

void TFrmDspErrLog::bbtnLogSaveClick()
{
    const QString path = FAskSaveFile(this);
    if (path.isEmpty())
        return;
    csv::writeReporting(this, path, memErrLog->toPlainText().split(QLatin1Char('\n')));
}
