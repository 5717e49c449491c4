#include "common/PythonTool.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>

#include <stdexcept>

namespace pytool {

QByteArray run(const QString& script, const QStringList& args)
{
    QProcess p;
    p.start(QStringLiteral("python3"), QStringList{QStringLiteral("-c"), script} + args);
    if (!p.waitForStarted(30000))
        throw std::runtime_error("python3 cannot be started: " + p.errorString().toStdString());
    if (!p.waitForFinished(120000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        throw std::runtime_error("python3 failed: " + p.readAllStandardError().toStdString());
    return p.readAllStandardOutput();
}

QList<QStringList> csvRows(const QString& path)
{
    const QByteArray json = run(QStringLiteral(R"(import csv, json, sys
with open(sys.argv[1], encoding='cp932', newline='') as f:
    json.dump(list(csv.reader(f)), sys.stdout)
)"), {path});
    QList<QStringList> rows;
    for (const QJsonValue& row : QJsonDocument::fromJson(json).array()) {
        QStringList cells;
        for (const QJsonValue& cell : row.toArray())
            cells << cell.toString();
        rows << cells;
    }
    return rows;
}

} // namespace pytool
