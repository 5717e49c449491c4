#pragma once
// The autosave files of the summary editor in the data folder: one text file
// per narrative section and "KNO.txt" with the summary number and version.
// Plain UTF-8 without byte-order mark, every line ended by CR LF.

#include <QString>
#include <QStringList>
#include <array>
#include <optional>

namespace taiyouAutosave {

// The section files, in the order they are written.
inline const std::array<QString, 5> kSectionFiles = {
    QStringLiteral("NYUBEFKEIKA.txt"), QStringLiteral("NYUKEIKA.txt"), QStringLiteral("TAIHOU.txt"),
    QStringLiteral("TAIJOUHO.txt"), QStringLiteral("TAIYAKU.txt")};
inline const QString kKeyFile = QStringLiteral("KNO.txt");

// Lines of a text split at CR, LF or CR LF; a final line break adds no empty
// line, an empty text has no lines.
QStringList splitLines(const QString& text);

// Writes the lines, each followed by CR LF, replacing the file in one step
// (a kill while writing leaves the previous file whole). False with the
// reason in `error` when the file cannot be written.
bool writeLines(const QString& path, const QStringList& lines, QString* error);

// The text a memo gets back from a file: each line followed by CR LF.
// Nothing when the file does not exist or cannot be read.
std::optional<QString> readForMemo(const QString& path);

// The texts of the five sections in the order of kSectionFiles.
struct TTexts {
    std::array<QString, 5> sections;
    int kno = 0;
    int verno = 0;
};
// Writes the five section files, then "KNO.txt". Stops at the first failure.
bool writeAll(const QString& folder, const TTexts& texts, QString* error);
// Deletes the six files.
void removeAll(const QString& folder);

} // namespace taiyouAutosave
