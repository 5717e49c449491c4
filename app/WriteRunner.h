#pragma once
// How a form writes: its statements run in one transaction on the shared
// connection, and whatever stops them is told to the user in the one way
// the program tells it.

#include "db/Transaction.h"

#include <QString>
#include <functional>

class QWidget;

enum class TWriteResult {
    Done,       // committed
    Busy,       // another transaction was open: "データ使用中のため登録できません。"
    Conflict,   // another workstation changed the data first: the form reads it again
    Failed,     // any other error, shown as the form's failure text or the error itself;
                // a lost connection as its own plain text
    Cancelled,  // stopped with 中止 (app/LongOperation.h): rolled back, nothing shown
};

struct TWriteOptions {
    // The form's own text for a failure ("更新に失敗しました。"); empty shows
    // the error's class name, a line break and its message.
    QString failureText;
    TTxMode mode = TTxMode::Own;
    // Nothing is shown for a failure (the caller goes on silently).
    bool quiet = false;
};

// Runs `work` through runTransaction on the shared connection and shows the
// warning that fits what stopped it; nothing is shown on success.
TWriteResult runWrite(QWidget* parent, const std::function<void(TConnection&)>& work,
                      const TWriteOptions& options = {});
