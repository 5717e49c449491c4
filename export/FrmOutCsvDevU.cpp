#include "export/FrmOutCsvDevU.h"

#include "app/SjisText.h"
#include "db/Query.h"

TFrmOutCsvDev::TFrmOutCsvDev(QWidget* parent)
    : TFrmOutCsvPatRec(parent, QStringLiteral("TFrmOutCsvDev"), QStringLiteral("患者デバイス情報CSV出力"))
{
}

QStringList TFrmOutCsvDev::middleTitles() const
{
    return {QStringLiteral("装着日"), QStringLiteral("デバイス"), QStringLiteral("コメント")};
}

QStringList TFrmOutCsvDev::middleCells(const TQuery& q) const
{
    return {outcsv::dateCell(q.field(QStringLiteral("ADDDTE")).asDateTime()),
            csv::quotedAsStored(sjis::cutToBytes(q.field(QStringLiteral("DEVICE")).asString(), 200)),
            csv::quotedAsStored(sjis::cutToBytes(q.field(QStringLiteral("COMM")).asString(), 200))};
}
