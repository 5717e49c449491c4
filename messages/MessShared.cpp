#include "messages/MessShared.h"

#include "db/Records.h"

namespace mess {

QString likeContains(const QString& text)
{
    QString escaped;
    escaped.reserve(text.size() + 2);
    escaped += QLatin1Char('%');
    for (const QChar c : text) {
        if (c == QLatin1Char('\\') || c == QLatin1Char('%') || c == QLatin1Char('_'))
            escaped += QLatin1Char('\\');
        escaped += c;
    }
    escaped += QLatin1Char('%');
    return escaped;
}

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
