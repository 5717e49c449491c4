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

QString quotedAsStored(const QString& text)
{
    QString s = text;
    s.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + s + QLatin1Char('"');
}

QString line(const QStringList& cells) { return cells.join(QLatin1Char(',')); }

bool writeLines(const QString& path, const QStringList& lines, QString* error, const TLineProgress& progress)
{
    // QSaveFile writes beside the file and renames at commit; destroyed
    // without a commit it leaves nothing behind.
    QSaveFile file(path);
    auto fail = [&] {
        if (error)
            *error = file.errorString();
        return false;
    };
    if (!file.open(QIODevice::WriteOnly))
        return fail();
    constexpr int kChunkLines = 500;
    QByteArray bytes;
    for (int i = 0; i < lines.size(); ++i) {
        bytes += sjis::encode(lines[i]);
        bytes += "\r\n";
        if ((i + 1) % kChunkLines == 0 || i + 1 == lines.size()) {
            if (file.write(bytes) != bytes.size())
                return fail();
            bytes.clear();
            if (progress)
                progress(i + 1);
        }
    }
    if (!file.commit())
        return fail();
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

bool writeReporting(QWidget* parent, const QString& path, const QStringList& lines, const TLineProgress& progress)
{
    QString error;
    if (writeLines(path, lines, &error, progress))
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
