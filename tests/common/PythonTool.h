#pragma once
// Reading what the program writes with tools nobody here wrote: Python 3
// and its standard library (the cp932 codec, the csv module).

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace pytool {

// Runs python3 on the script text with the arguments and returns its
// standard output; throws std::runtime_error, with its standard error, when
// it cannot be started or does not end well.
QByteArray run(const QString& script, const QStringList& args = {});

// The rows of a windows-31j CSV file as Python's csv module reads them.
QList<QStringList> csvRows(const QString& path);

} // namespace pytool
