#pragma once
// A PostgreSQL cluster of the test's own, in a temporary folder, for tests
// that stop and restart the server: the shared test server is never touched.
// Made and run with scripts/pg.sh.

#include "common/TestDb.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

class TPrivateServer {
public:
    // Whether the server programs are installed (tests skip without them).
    static bool available()
    {
        for (const QString& v : QDir(QStringLiteral("/usr/lib/postgresql")).entryList(QDir::Dirs | QDir::NoDotAndDotDot))
            if (QFile::exists(QStringLiteral("/usr/lib/postgresql/%1/bin/initdb").arg(v)))
                return true;
        return false;
    }

    // Creates the cluster and starts it; gtest failures when it cannot.
    TPrivateServer()
    {
        // The server runs as the postgres user when the tests run as root.
        QFile::setPermissions(FTmp.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup
                                               | QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther);
        FCluster = FTmp.path() + QStringLiteral("/pg");
        pg({QStringLiteral("init"), FCluster, password()});
        start();
        FPort = pg({QStringLiteral("port"), FCluster});
    }
    ~TPrivateServer() { stop(); }
    TPrivateServer(const TPrivateServer&) = delete;
    TPrivateServer& operator=(const TPrivateServer&) = delete;

    // pg_ctl stop -m fast: every session is ended at once.
    void stop() { pg({QStringLiteral("stop"), FCluster}); }
    void start() { pg({QStringLiteral("start"), FCluster}); }
    void restart()
    {
        stop();
        start();
    }

    QString conninfo(const QString& dbName) const
    {
        return QStringLiteral("host=127.0.0.1 port=%1 dbname=%2").arg(FPort, dbName);
    }
    static QString password() { return QStringLiteral("restart-test"); }

private:
    QString pg(const QStringList& args)
    {
        QProcess p;
        p.start(testenv::sourceDir() + QStringLiteral("/scripts/pg.sh"), args);
        EXPECT_TRUE(p.waitForFinished(120000));
        EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
        return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
    }

    QTemporaryDir FTmp;
    QString FCluster;
    QString FPort;
};
