#include "admin/AdminCommon.h"

#include "controls/NumberEdit.h"

#include <limits>

namespace admin {

TNumberEdit* newCodeEdit(QWidget* parent, const QString& name, int width)
{
    auto* e = new TNumberEdit(parent);
    e->setObjectName(name);
    e->setFigure(0);
    e->setFixed(true);
    e->setMaxIntLength(10);
    e->setDecimalMin(TDecimal::fromInt64(0));
    e->setDecimalMax(TDecimal::fromInt64(std::numeric_limits<int>::max()));
    e->setLimitOptions(TLimitOptions(loMax) | loMin);
    e->setLimit(true);
    e->setZeroVisible(false);
    e->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    e->setFixedWidth(width);
    e->setAttribute(Qt::WA_InputMethodEnabled, false);
    return e;
}

} // namespace admin
