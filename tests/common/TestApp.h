#pragma once
// Fixtures for forms: a fresh database, the data module connected to it, a
// private data folder, a logged-in user, and helpers to drive modal dialogs.

#include "app/Globals.h"
#include "app/UntDM.h"
#include "common/MsgRecorder.h"
#include "common/TestDb.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QTimer>
#include <functional>
#include <memory>

class TFrmMain;

class AppTest : public DbTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // Logs in as this user without the dialog (the user row is inserted
    // when it does not exist).
    void loginAs(const QString& userId, int jobType = 0, bool wok = true, bool sok = true,
                 bool kok = true, bool mnt = true);
    const QString& dataFolder() const { return G().dataFolder; }
    // The main window shown and logged in through its login dialog (password
    // "pw", as loginAs stores it).
    std::unique_ptr<TFrmMain> openMain(const QString& user);

    std::unique_ptr<QTemporaryDir> FTmp;
    std::unique_ptr<TdmMAIN> FDm;
    MsgRecorder boxes;
};

// Runs `action` with the next modal dialog of class T (found by objectName
// or class) once it is shown; polls the event loop meanwhile.
void whenModal(const QString& objectName, std::function<void(QWidget*)> action, int timeoutMs = 10000);

// Processes events until `done` is true or the time runs out.
bool waitFor(std::function<bool()> done, int timeoutMs = 10000);
