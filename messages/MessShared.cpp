#include "messages/MessShared.h"

#include "app/TextUtil.h"
#include "db/Records.h"

namespace mess {

QString rowKey(int messno, const QString& ruserId)
{
    return QStringLiteral("%1").arg(messno, 6, 10, QLatin1Char('0')) + ruserId.trimmed();
}

QString jobTypeText(int jobType)
{
    const QString t = rec::jtypName(jobType);
    return t.isEmpty() ? QStringLiteral("その他") : t;
}

} // namespace mess
