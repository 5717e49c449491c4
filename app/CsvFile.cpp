#include "app/CsvFile.h"

#include "app/CommonU.h"
#include "app/MsgBox.h"
#include "app/SjisText.h"

#include <QDir>
#include <QFileDialog>
#include <QSaveFile>
#include <QStandardPaths>

namespace csv {

QString quoted(const QString& text)
{
    return QLatin1Char('"') + CommonU::CsvQuoteEscape(text) + QLatin1Char('"');
}

QString line(const QStringList& cells) { return cells.join(QLatin1Char(',')); }

bool writeLines(const QString& path, const QStringList& lines, QString* error)
{
    QByteArray bytes;
    for (const QString& l : lines) {
        bytes += sjis::encode(l);
        bytes += "\r\n";
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}

namespace {

QString documentsFolder()
{
    QString dir = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (dir.isEmpty() || !QDir(dir).exists())
        dir = QDir::homePath();
    return dir;
}

} // namespace

bool writeReporting(QWidget* parent, const QString& path, const QStringList& lines)
{
    QString error;
    if (writeLines(path, lines, &error))
        return true;
    msg::warning(parent, QStringLiteral("ファイルに書き込めませんでした。\r\n") + error);
    return false;
}

QString askSaveFile(QWidget* parent, const QString& proposedName, const QString& filterTitle)
{
    return askSaveFileTitled(parent, QString(), proposedName, filterTitle + QStringLiteral(" (*.csv)"));
}

QString askSaveFileTitled(QWidget* parent, const QString& title, const QString& proposedName, const QString& filter)
{
    return QFileDialog::getSaveFileName(parent, title, QDir(documentsFolder()).filePath(proposedName), filter);
}

QString askOpenFile(QWidget* parent, const QString& title, const QString& filterTitle)
{
    return QFileDialog::getOpenFileName(parent, title, documentsFolder(), filterTitle + QStringLiteral(" (*.csv)"));
}

} // namespace csv
