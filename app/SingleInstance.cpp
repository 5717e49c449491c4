#include "app/SingleInstance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>
#include <unistd.h>

TSingleInstance::TSingleInstance(const QString& key, QObject* parent) : QObject(parent)
{
    const QByteArray hash = QCryptographicHash::hash(key.toUtf8(), QCryptographicHash::Sha1).toHex().left(12);
    FName = QStringLiteral("prjKLOV-%1-%2").arg(::getuid()).arg(QString::fromLatin1(hash));
    QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty())
        dir = QDir::tempPath();
    QDir().mkpath(dir);
    FLock = std::make_unique<QLockFile>(dir + QLatin1Char('/') + FName + QStringLiteral(".lock"));
    FLock->setStaleLockTime(0);
}

TSingleInstance::~TSingleInstance()
{
    if (FServer)
        FServer->close();
}

bool TSingleInstance::acquire()
{
    if (!FLock->tryLock(0))
        return false;
    QLocalServer::removeServer(FName);
    FServer = new QLocalServer(this);
    FServer->setSocketOptions(QLocalServer::UserAccessOption);
    FServer->listen(FName);
    connect(FServer, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* s = FServer->nextPendingConnection()) {
            connect(s, &QLocalSocket::disconnected, s, &QObject::deleteLater);
            s->disconnectFromServer();
            Q_EMIT raiseRequested();
        }
    });
    return true;
}

void TSingleInstance::notifyRunning()
{
    QLocalSocket s;
    s.connectToServer(FName);
    if (s.waitForConnected(2000)) {
        s.write("raise");
        s.waitForBytesWritten(1000);
        s.disconnectFromServer();
    }
}
