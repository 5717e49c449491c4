#pragma once
// Shows the main window and logs in through its dialog (user's password "pw").

#include "app/FrmLoginU.h"
#include "common/TestApp.h"
#include "main/FrmMainU.h"

#include <QLineEdit>
#include <QPushButton>

inline bool showLoggedIn(TFrmMain& main, const QString& user)
{
    whenModal(QStringLiteral("TFrmLogin"), [user](QWidget* w) {
        auto* login = static_cast<TFrmLogin*>(w);
        login->edtUser->setText(user);
        login->edtPass->setText(QStringLiteral("pw"));
        QTimer::singleShot(0, login->Button1, &QPushButton::click);
    });
    main.show();
    return waitFor([&] { return main.loggedIn(); });
}
