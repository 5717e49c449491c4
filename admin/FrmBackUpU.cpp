#include "admin/FrmBackUpU.h"

#include "app/CommonU.h"
#include "app/MsgBox.h"
#include "app/TextUtil.h"
#include "controls/Widgets.h"
#include "db/Errors.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSaveFile>
#include <QToolButton>

namespace {
const QString kSection = QStringLiteral("BACKUP");
} // namespace

TFrmBackUp::TFrmBackUp(QWidget* parent)
    : TFrmPgTool(parent, QStringLiteral("TFrmBackUp"), QStringLiteral("データベースバックアップ"),
                 QStringLiteral("pg_dump"), QStringLiteral("PGDUMP"))
{
    edtOutPath = addPathRow(QStringLiteral("バックアップファイル保存先を指定してください。"), QStringLiteral("edtOutPath"),
                            QStringLiteral("spbOutPath"), spbOutPath);
    FGrid->addWidget(widgets::label(body(), QStringLiteral("※バックアップ後は必ず作成されたファイルを確認してください。\n"
                                                           "サイズが０KBのファイルの場合は正常にバックアップされていません。")),
                     FNextRow++, 1);
    connect(spbOutPath, &QToolButton::clicked, this, &TFrmBackUp::spbOutPathClick);
}

void TFrmBackUp::loadTarget()
{
    QString v;
    if (CommonU::ReadIniStr(kSection, QStringLiteral("OUTPATH"), v))
        edtOutPath->setText(v);
}

void TFrmBackUp::saveTarget() { CommonU::WriteIniStr(kSection, QStringLiteral("OUTPATH"), edtOutPath->text()); }

QString TFrmBackUp::folder() const
{
    QString f = textutil::trimBoth(edtOutPath->text());
    while (f.size() > 1 && f.endsWith(QLatin1Char('/')))
        f.chop(1);
    return f;
}

void TFrmBackUp::spbOutPathClick()
{
    QString f = QFileDialog::getExistingDirectory(this, QString(), edtOutPath->text());
    if (f.size() > 1 && f.endsWith(QLatin1Char('/')))
        f.chop(1);
    if (!f.isEmpty())
        edtOutPath->setText(f);
}

bool TFrmBackUp::checkTarget()
{
    QString problem;
    if (folder().isEmpty())
        problem = QStringLiteral("バックアップ保存先を指定してください。");
    else if (!QFileInfo(folder() + QLatin1Char('/')).isDir())
        problem = QStringLiteral("バックアップ保存先が存在しません。");
    if (problem.isEmpty())
        return true;
    msg::warning(this, problem);
    edtOutPath->setFocus();
    return false;
}

QString TFrmBackUp::runQuestion() const { return QStringLiteral("実行してよろしいですか？"); }

void TFrmBackUp::run()
{
    FErrLogFile.clear();
    try {
        FBackupFile = pgtools::backupFileName(folder(), CommonU::GetServerTime());
    } catch (const std::exception& e) {
        msg::warning(this, errorWarningText(e));
        return;
    }
    startTool(pgtools::backupArguments(params(), FBackupFile, cbPostVer->isChecked()),
              [this](const TToolResult& r) { toolEnded(r); });
}

void TFrmBackUp::toolEnded(const TToolResult& r)
{
    if (!r.started) {
        endRun();
        msg::warning(this, QStringLiteral("バックアップ障害が発生しました。設定を確認してください。"));
        return;
    }
    if (!r.ok) {
        endRun();
        // A half-written archive must not pass for a backup.
        QFile::remove(FBackupFile);
        if (r.cancelled) {
            msg::information(this, QStringLiteral("バックアップを中止しました。"));
            return;
        }
        if (r.stalled)
            FslErrLog << stallText(r);
        FErrLogFile = folder() + QStringLiteral("/POSTBACKERR")
                      + QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMddHHmmss")) + QStringLiteral(".txt");
        QSaveFile log(FErrLogFile);
        const bool saved = log.open(QIODevice::WriteOnly)
                           && log.write((QStringList{FTool + QLatin1Char(' ') + FLastArguments.join(QLatin1Char(' '))}
                                         + FslErrLog)
                                            .join(QLatin1Char('\n'))
                                            .toUtf8())
                                  >= 0
                           && log.commit();
        if (!saved)
            FErrLogFile.clear();
        msg::information(this, (r.stalled ? stallText(r) + QLatin1Char('\n') : QString())
                                   + QStringLiteral("エラーのため終了しました。エラーログを確認してください。"));
        return;
    }
    QFile f(FBackupFile);
    if (!f.open(QIODevice::ReadOnly)) {
        endRun();
        msg::warning(this, QStringLiteral("バックアップファイルを開けません。\n") + FBackupFile + QLatin1Char('\n') + f.errorString());
        return;
    }
    if (f.size() == 0) {
        endRun();
        msg::warning(this, QStringLiteral("バックアップファイルのサイズが０です。正常にバックアップされていません。設定を確認してください。"));
        return;
    }
    f.close();
    // The checksum beside the archive lets a restore find a cut or damaged
    // file before it drops anything.
    hashFile(FBackupFile, [this](const THashResult& h) { checksumDone(h); });
}

void TFrmBackUp::checksumDone(const THashResult& h)
{
    endRun();
    if (h.cancelled) {
        QFile::remove(FBackupFile);
        msg::information(this, QStringLiteral("バックアップを中止しました。"));
        return;
    }
    const QString sumFile = pgtools::checksumFileName(FBackupFile);
    QString problem = h.error;
    if (h.ok) {
        QSaveFile out(sumFile);
        if (!out.open(QIODevice::WriteOnly) || out.write(pgtools::checksumLine(h.sha256, FBackupFile)) < 0 || !out.commit())
            problem = out.errorString();
    }
    if (!problem.isEmpty())
        msg::warning(this, QStringLiteral("バックアップ終了しました。ただし、チェックサムファイルを書き込めませんでした。\n") + sumFile
                               + QLatin1Char('\n') + problem);
    else
        msg::information(this, QStringLiteral("バックアップ終了しました。"));
}
