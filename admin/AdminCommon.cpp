#include "admin/AdminCommon.h"

#include "controls/Widgets.h"

#include <limits>

namespace admin {

TNumberEdit* newCodeEdit(QWidget* parent, const QString& name, int width)
{
    return widgets::wholeNumberEdit(parent, name, std::numeric_limits<int>::max(), width);
}

} // namespace admin
