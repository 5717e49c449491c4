#include "summary/TaiyouRows.h"

#include "app/Theme.h"
#include "controls/DBGrid.h"
#include "db/Query.h"

void taiyouRowColors(const TQuery& q, int recNo, TRowColors& c)
{
    if (q.fieldAt(recNo, QStringLiteral("DELKBN")).asInteger() == 1)
        c.background = c.selectedBackground = theme::kSilver;
    else if (q.fieldAt(recNo, QStringLiteral("ACTKBN")).asInteger() == 0)
        c.background = c.selectedBackground = theme::kLightGrey;
    else if (q.fieldAt(recNo, QStringLiteral("KFLG")).asInteger() == 1)
        c.background = theme::kSkyBlue;
}
