#pragma once
// One running copy per user: a lock file, and a local socket by which a
// second start asks the running copy to bring its main window forward.

#include <QLockFile>
#include <QObject>
#include <memory>

class QLocalServer;

class TSingleInstance : public QObject {
    Q_OBJECT
public:
    // `key` tells users apart: the data folder of this user.
    explicit TSingleInstance(const QString& key, QObject* parent = nullptr);
    ~TSingleInstance() override;

    // True when this process is now the one running copy.
    bool acquire();
    // Tells the running copy to raise its window (second start).
    void notifyRunning();

Q_SIGNALS:
    void raiseRequested();

private:
    QString FName;
    std::unique_ptr<QLockFile> FLock;
    QLocalServer* FServer = nullptr;
};
