#include "summary/TaiyouAutosave.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

namespace taiyouAutosave {

QStringList splitLines(const QString& text)
{
    QStringList lines;
    qsizetype start = 0;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        if (c != QLatin1Char('\r') && c != QLatin1Char('\n'))
            continue;
        lines << text.mid(start, i - start);
        if (c == QLatin1Char('\r') && i + 1 < n && text.at(i + 1) == QLatin1Char('\n'))
            ++i;
        start = i + 1;
    }
    if (start < n)
        lines << text.mid(start);
    return lines;
}

bool writeLines(const QString& path, const QStringList& lines, QString* error)
{
    QByteArray data;
    for (const QString& line : lines) {
        data += line.toUtf8();
        data += "\r\n";
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size() || !file.commit()) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path), file.errorString());
        return false;
    }
    return true;
}

std::optional<QString> readForMemo(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QStringList lines = splitLines(QString::fromUtf8(file.readAll()));
    QString text;
    for (const QString& line : lines)
        text += line + QStringLiteral("\r\n");
    return text;
}

bool writeAll(const QString& folder, const TTexts& texts, QString* error)
{
    QDir().mkpath(folder);
    for (size_t i = 0; i < kSectionFiles.size(); ++i) {
        if (!writeLines(folder + kSectionFiles[i], splitLines(texts.sections[i]), error))
            return false;
    }
    return writeLines(folder + kKeyFile, {QString::number(texts.kno), QString::number(texts.verno)}, error);
}

void removeAll(const QString& folder)
{
    for (const QString& name : kSectionFiles)
        QFile::remove(folder + name);
    QFile::remove(folder + kKeyFile);
}

} // namespace taiyouAutosave
