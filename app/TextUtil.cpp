#include "app/TextUtil.h"

namespace {
bool isBlank(QChar c) { return c.unicode() <= 0x20; }
} // namespace

namespace textutil {

QString trimLeft(const QString& s)
{
    qsizetype i = 0;
    while (i < s.size() && isBlank(s.at(i)))
        ++i;
    return s.mid(i);
}

QString trimBoth(const QString& s)
{
    qsizetype b = 0, e = s.size();
    while (b < e && isBlank(s.at(b)))
        ++b;
    while (e > b && isBlank(s.at(e - 1)))
        --e;
    return s.mid(b, e - b);
}

QString likeLiteral(const QString& text)
{
    QString escaped;
    escaped.reserve(text.size() + 4);
    for (const QChar c : text) {
        if (c == QLatin1Char('\\') || c == QLatin1Char('%') || c == QLatin1Char('_'))
            escaped += QLatin1Char('\\');
        escaped += c;
    }
    return escaped;
}

QString memoText(const QString& rawText)
{
    QString t = rawText;
    for (QChar& c : t) {
        switch (c.unicode()) {
        case 0x2028:   // line separator (Shift+Enter)
        case 0x2029:   // paragraph separator between blocks
        case 0xFDD0:   // frame markers
        case 0xFDD1:
            c = QLatin1Char('\n');
            break;
        default:
            break;
        }
    }
    return t;
}

QString windowsLines(const QString& lfText)
{
    QString t = lfText;
    t.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return t;
}

QString likeContains(const QString& text)
{
    return QLatin1Char('%') + likeLiteral(text) + QLatin1Char('%');
}

} // namespace textutil
