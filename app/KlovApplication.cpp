#include "app/KlovApplication.h"

#include "app/MsgBox.h"
#include "db/Errors.h"

bool TKlovApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const EKlovError& e) {
        msg::warning(activeWindow(), e.message());
    } catch (const std::exception& e) {
        msg::warning(activeWindow(), QString::fromLocal8Bit(e.what()));
    }
    return false;
}
