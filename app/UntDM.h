#pragma once
// The data module: the one connection of the process and the shared query
// used by the common routines and by backup and restore.

#include "db/Connection.h"
#include "db/Query.h"

#include <QObject>

class TdmMAIN : public QObject {
    Q_OBJECT
public:
    explicit TdmMAIN(QObject* parent = nullptr);
    ~TdmMAIN() override;

    TConnection ADOCPOST;

    // Opens ADOCPOST from the data source and password unless it is open.
    void connectDb(const QString& dataSource, const QString& password);
    TQuery& sharedQuery() { return FShared; }

private:
    TQuery FShared;
};
