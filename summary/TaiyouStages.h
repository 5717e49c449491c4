#pragma once
// The three completion stages of a summary version (記載完了, 承認, 完成確認):
// who may edit at which stored stage, the order in which the stage buttons
// may move, and the stage columns written on saving.

#include <QDateTime>
#include <QString>

struct TLoginUser;

namespace taiyouStages {

enum TStageIndex { kWrite = 0, kApprove = 1, kComplete = 2 };

// Flag, user and time of one stage.
struct TStage {
    int flag = 0;
    QString user;
    QDateTime time;
};

// 1899-12-30 00:00:00, the time of a stage that is not set.
QDateTime zeroTime();
// "yyyymmddhhnnss" for TO_TIMESTAMP(…,'YYYYMMDDHH24MISS'); an invalid time
// gives the zero time's text.
QString stamp(const QDateTime& t);

// What the save stores for a stage from its flag as loaded and its button:
// a stage that stays set keeps its first user and time, a newly set stage
// gets the user and the save time, a cleared stage empty user and zero time.
TStage onSave(const TStage& loaded, bool down, const QString& userId, const QDateTime& saveTime);
// VERDTE follows the completion stage in the same way.
QDateTime verdteOnSave(int loadedKflg, bool completeDown, const QDateTime& loadedVerdte,
                       const QDateTime& saveTime);

// Whether text and lists of a current, not completed version are editable
// for the user at the stored stage.
bool editableFor(int wflg, int sflg, const TLoginUser& user);

// The warning for a click that breaks the order of the stages (the button
// goes back), or empty when the click is allowed. `down` is the new state of
// the clicked button, the flags the states of the three buttons.
QString orderViolation(int stage, bool down, bool writeDown, bool approveDown, bool completeDown);

} // namespace taiyouStages
