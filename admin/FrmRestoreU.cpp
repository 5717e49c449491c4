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
const QString kRefused = QStringLiteral("このバックアップファイルはリストアーできません。") + kUnchanged;
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

// Nothing is dropped before the archive has been read whole: its table of
// contents must hold this program's schema, and the whole file must match
// the checksum written beside it at backup, or, without one, pg_restore must
// read it to its end. Only then the load drops and recreates everything in
// one transaction.
void TFrmRestore::run()
{
    startTool(pgtools::listArguments(file()), [this](const TToolResult& r) {
        if (r.started && r.ok && !r.cancelled && pgtools::listHoldsKlov(r.output))
            checkWhole();
        else
            refuse(r);
    });
}

void TFrmRestore::checkWhole()
{
    const QString sumFile = pgtools::checksumFileName(file());
    const QByteArray expected = pgtools::readChecksum(sumFile);
    if (expected.isEmpty()) {
        startTool(pgtools::readArguments(file()), [this](const TToolResult& r) {
            if (r.ok)
                load();
            else
                refuse(r);
        });
        return;
    }
    hashFile(file(), [this, expected, sumFile](const THashResult& h) {
        if (h.ok && h.sha256 == expected) {
            load();
            return;
        }
        endRun();
        if (h.cancelled)
            msg::information(this, QStringLiteral("リストアーを中止しました。") + kUnchanged);
        else if (!h.ok)
            msg::warning(this, kRefused + QLatin1Char('\n') + h.error);
        else
            msg::warning(this, kRefused + QLatin1Char('\n')
                                   + QStringLiteral("バックアップ時のチェックサム（%1）と一致しません。"
                                                    "ファイルが壊れているか、途中までしかありません。")
                                         .arg(QFileInfo(sumFile).fileName()));
    });
}

void TFrmRestore::refuse(const TToolResult& r)
{
    endRun();
    if (!r.started)
        msg::warning(this, QStringLiteral("リストアー障害が発生しました。設定を確認してください。"));
    else if (r.cancelled)
        msg::information(this, QStringLiteral("リストアーを中止しました。") + kUnchanged);
    else if (r.stalled)
        msg::warning(this, kRefused + QLatin1Char('\n') + stallText(r)
                               + QStringLiteral("ファイルが壊れているか、途中までしかない可能性があります。"));
    else
        msg::warning(this, kRefused + QLatin1Char('\n') + toolMessages(r.output));
}

void TFrmRestore::load()
{
    startTool(pgtools::restoreArguments(params(), file(), cbPostVer->isChecked()),
              [this](const TToolResult& r) { restoreEnded(r); });
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
    else if (r.stalled)
        msg::warning(this, QStringLiteral("リストアーに失敗しました。") + kUnchanged + QLatin1Char('\n') + stallText(r));
    else
        msg::warning(this, QStringLiteral("リストアーに失敗しました。") + kUnchanged + QLatin1Char('\n') + toolMessages(r.output));
}
