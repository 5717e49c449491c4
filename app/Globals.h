#pragma once
// The process-wide values: where the data folder is, how to reach the
// database, who is logged in, and the sibling-system switches. Set at
// start-up and login, read by every form.

#include <QString>

class TdmMAIN;

struct TLoginUser {
    QString userId;      // trimmed ID typed at login
    QString userName;    // USERNM, trimmed
    int jobType = 0;     // JTYP: 0 doctor, 1 documentation clerk, other values other staff
    bool WOK = false;    // may mark writing complete
    bool SOK = false;    // may approve
    bool KOK = false;    // may confirm completion
    bool MNTFLG = false; // maintenance rights
};

struct TKlovGlobals {
    QString dataFolder;  // always ends with "/"
    QString dbPass;      // KLOVDB/PASS
    QString dbSource;    // KLOVDB/SOURCE
    TLoginUser user;
    bool qarnPresent = false;  // QARN.M_KANJA exists
    bool qarnLink = false;     // take patient attributes from the sibling system
    TdmMAIN* dm = nullptr;     // the data module with the shared connection
};

TKlovGlobals& G();

// The data folder of this user: $XDG_DATA_HOME/KLOV/ (default ~/.local/share/KLOV/).
QString defaultDataFolder();

// The data module; throws when start-up has not created it.
TdmMAIN& dm();
