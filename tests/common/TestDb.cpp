#include "common/TestDb.h"

#include <QFile>
#include <QCoreApplication>
#include <atomic>
#include <unistd.h>

namespace testenv {
namespace {
QString env(const char* name, const char* fallback = "")
{
    const QByteArray v = qgetenv(name);
    return v.isEmpty() ? QString::fromLatin1(fallback) : QString::fromLocal8Bit(v);
}
} // namespace

QString host() { return env("KLOV_TEST_PGHOST", "127.0.0.1"); }
QString port() { return env("KLOV_TEST_PGPORT"); }
QString password() { return env("KLOV_TEST_PGPASSWORD"); }
QString sourceDir() { return QStringLiteral(KLOV_SOURCE_DIR); }

QString conninfo(const QString& dbName)
{
    return QStringLiteral("host=%1 port=%2 dbname=%3").arg(host(), port(), dbName);
}

QString sourceFile(const QString& relativePath)
{
    QFile f(sourceDir() + QLatin1Char('/') + relativePath);
    if (!f.open(QIODevice::ReadOnly))
        throw std::runtime_error("cannot read " + relativePath.toStdString());
    return QString::fromUtf8(f.readAll());
}
} // namespace testenv

void DbTest::SetUp()
{
    ASSERT_FALSE(testenv::port().isEmpty())
        << "KLOV_TEST_PGPORT is not set: run the tests with scripts/test.sh";
    static std::atomic<int> counter{0};
    FDbName = QStringLiteral("t_%1_%2").arg(::getpid()).arg(++counter);
    const QString templ = qEnvironmentVariable("KLOV_TEST_TEMPLATE", QStringLiteral("klov_template"));
    TConnection admin;
    admin.open(testenv::conninfo(QStringLiteral("postgres")), testenv::password());
    admin.execDirect(QStringLiteral("CREATE DATABASE \"%1\" TEMPLATE \"%2\"").arg(FDbName, templ));
    FConn.open(dataSource(), testenv::password());
}

void DbTest::TearDown()
{
    FConn.close();
    if (FDbName.isEmpty())
        return;
    try {
        TConnection admin;
        admin.open(testenv::conninfo(QStringLiteral("postgres")), testenv::password());
        admin.execDirect(QStringLiteral("DROP DATABASE IF EXISTS \"%1\" WITH (FORCE)").arg(FDbName));
    } catch (...) {
    }
}

void DbTest::loadQarn() { FConn.execScript(testenv::sourceFile(QStringLiteral("db/qarn.sql"))); }

QString DbTest::scalar(const QString& select)
{
    TQuery q(&FConn);
    q.setSql(select);
    q.open();
    if (q.eof())
        return {};
    return q.resultSet()->text(q.rawRow(0), 0);
}
