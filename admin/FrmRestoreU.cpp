#include "admin/FrmRestoreU.h"

#include "app/MsgBox.h"
#include "app/TextUtil.h"

#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QToolButton>

namespace {
const QString kUnchanged = QStringLiteral("データベースは元のままです。");
} // namespace

TFrmRestore::TFrmRestore(QWidget* parent)
    : TFrmPgTool(parent, QStringLiteral("TFrmRestore"), QStringLiteral("データベースリストア"),
                 QStringLiteral("pg_restore"), QStringLiteral("PGRESTORE"))
{
    edtBackFile = addPathRow(QStringLiteral("バックアップファイルを指定してください。"), QStringLiteral("edtBackFile"),
                             QStringLiteral("SpeedButton1"), SpeedButton1);
    connect(SpeedButton1, &QToolButton::clicked, this, &TFrmRestore::SpeedButton1Click);
}

QString TFrmRestore::file() const { return textutil::trimBoth(edtBackFile->text()); }

void TFrmRestore::SpeedButton1Click()
{
    const QString f = QFileDialog::getOpenFileName(this, QStringLiteral("バックアップファイル指定"), edtBackFile->text(),
                                                   QStringLiteral("バックアップファイル (*)"));
    if (!f.isEmpty())
        edtBackFile->setText(QDir::toNativeSeparators(f));
}

bool TFrmRestore::checkTarget()
{
    QString problem;
    if (file().isEmpty())
        problem = QStringLiteral("バックアップファイルが未指定です。");
    else if (!QFileInfo(file()).isFile())
        problem = QStringLiteral("バックアップファイルの指定が間違っています。");
    if (problem.isEmpty())
        return true;
    msg::warning(this, problem);
    edtBackFile->setFocus();
    return false;
}

QString TFrmRestore::runQuestion() const { return QStringLiteral("全てのデータが置き換えられます。実行してよろしいですか？"); }

// First the archive is read through; only a readable archive of this
// program's database goes on to the load, which drops and recreates
// everything in one transaction.
void TFrmRestore::run()
{
    startTool(pgtools::listArguments(file()), [this](const TToolResult& r) { listEnded(r); });
}

void TFrmRestore::listEnded(const TToolResult& r)
{
    if (r.started && r.ok && !r.cancelled && pgtools::listHoldsKlov(r.output)) {
        startTool(pgtools::restoreArguments(params(), file(), cbPostVer->isChecked()),
                  [this](const TToolResult& r) { restoreEnded(r); });
        return;
    }
    endRun();
    if (!r.started)
        msg::warning(this, QStringLiteral("リストアー障害が発生しました。設定を確認してください。"));
    else if (r.cancelled)
        msg::information(this, QStringLiteral("リストアーを中止しました。") + kUnchanged);
    else
        msg::warning(this, QStringLiteral("このバックアップファイルはリストアーできません。") + kUnchanged + QLatin1Char('\n')
                               + toolMessages(r.output));
}

void TFrmRestore::restoreEnded(const TToolResult& r)
{
    endRun();
    if (r.ok)
        msg::information(this, QStringLiteral("リストアー終了しました。"));
    else if (!r.started)
        msg::warning(this, QStringLiteral("リストアー障害が発生しました。設定を確認してください。"));
    else if (r.cancelled)
        msg::information(this, QStringLiteral("リストアーを中止しました。") + kUnchanged);
    else
        msg::warning(this, QStringLiteral("リストアーに失敗しました。") + kUnchanged + QLatin1Char('\n') + toolMessages(r.output));
}
