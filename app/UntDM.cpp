#include "app/UntDM.h"

TdmMAIN::TdmMAIN(QObject* parent) : QObject(parent), FShared(&ADOCPOST)
{
    setObjectName(QStringLiteral("dmMAIN"));
    FShared.setObjectName(QStringLiteral("ADOQShared"));
}

TdmMAIN::~TdmMAIN() = default;

void TdmMAIN::connectDb(const QString& dataSource, const QString& password)
{
    if (ADOCPOST.connected())
        return;
    ADOCPOST.open(dataSource, password);
}
