#include "controls/EraText.h"

#include "controls/JapaneseEra.h"

namespace eraText {

QString eraYear(const QDate& d)
{
    int index = 0, year = 0;
    if (!japaneseEra::eraOf(d, &index, &year))
        return {};
    return japaneseEra::name(index) + QString::number(year);
}

QString eraDate(const QDate& d)
{
    const QString ey = eraYear(d);
    if (ey.isEmpty())
        return {};
    return ey + QStringLiteral("年%1月%2日").arg(d.month()).arg(d.day());
}

QString birthText(const QDate& d)
{
    if (!d.isValid())
        return {};
    return QStringLiteral("%1/%2/%3 (%4)").arg(d.year()).arg(d.month()).arg(d.day()).arg(eraDate(d));
}

} // namespace eraText
