#pragma once
// The CSV files the program writes: windows-31j text (the one encoder of
// SjisText), every line ended by CR LF, no byte-order mark; text cells in
// double quotes, each double quote inside doubled.

#include <QString>
#include <QStringList>

#include <functional>

class QWidget;

namespace csv {

// The cell in double quotes, CR LF turned into a blank and every double
// quote doubled (the CSV quote escaper), so a quote in a value cannot break
// the line. The patient and summary CSV write their texts so.
QString quoted(const QString& text);
// The cell in double quotes with the text as stored, line breaks staying
// inside the quotes; only every double quote is doubled. For the files
// whose texts are written as held (users, departments, allergies, devices).
QString quotedAsStored(const QString& text);
// The cells joined by commas, without blanks.
QString line(const QStringList& cells);

// Called with the count of lines written so far; it may throw to stop.
using TLineProgress = std::function<void(int written)>;

// Writes the lines to the file, replacing it. False, with the reason in
// `error`, when the file cannot be written whole. The file changes only
// when every line has been written: stopped by an error or by `progress`
// throwing, it stays as it was (or absent).
bool writeLines(const QString& path, const QStringList& lines, QString* error = nullptr,
                const TLineProgress& progress = {});

// writeLines, telling the user when the file could not be written
// ("ファイルに書き込めませんでした。" with the reason); true when it was.
bool writeReporting(QWidget* parent, const QString& path, const QStringList& lines,
                    const TLineProgress& progress = {});

// Asks for the file to write: a save dialog in the user's documents folder
// proposing `proposedName`, with the filter "title (*.csv)" and the overwrite
// question. Empty when cancelled. Forms hold it as a member so that tests can
// answer it.
using TAskSaveFile = std::function<QString(QWidget* parent, const QString& proposedName, const QString& filterTitle)>;
QString askSaveFile(QWidget* parent, const QString& proposedName, const QString& filterTitle);
// The same with the dialog's own title and whole filter ("エラーログ(*.txt)"),
// for the text files that are not CSV.
QString askSaveFileTitled(QWidget* parent, const QString& title, const QString& proposedName, const QString& filter);

// Asks for a CSV file to read: an open dialog titled `title` with the filter
// "filterTitle (*.csv)". Empty when cancelled. Held as a member like the
// save question.
using TAskOpenFile = std::function<QString(QWidget* parent, const QString& title, const QString& filterTitle)>;
QString askOpenFile(QWidget* parent, const QString& title, const QString& filterTitle);

} // namespace csv
