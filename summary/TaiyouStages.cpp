#include "summary/TaiyouStages.h"

#include "app/Globals.h"
#include "app/MsgBox.h"
#include "app/Theme.h"
#include "app/UntDM.h"
#include "app/WriteRunner.h"
#include "db/Errors.h"
#include "db/Numbers.h"
#include "db/Query.h"
#include "summary/FrmUpdTaiyouU.h"

#include <QAction>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

namespace taiyouStages {

QDateTime zeroTime() { return QDateTime(QDate(1899, 12, 30), QTime(0, 0)); }

QString stamp(const QDateTime& t)
{
    return (t.isValid() ? t : zeroTime()).toString(QStringLiteral("yyyyMMddHHmmss"));
}

TStage onSave(const TStage& loaded, bool down, const QString& userId, const QDateTime& saveTime)
{
    if (loaded.flag == 1)
        return down ? loaded : TStage{0, QString(), zeroTime()};
    return down ? TStage{1, userId, saveTime} : TStage{0, QString(), zeroTime()};
}

QDateTime verdteOnSave(int loadedKflg, bool completeDown, const QDateTime& loadedVerdte,
                       const QDateTime& saveTime)
{
    if (!completeDown)
        return zeroTime();
    return loadedKflg == 1 ? loadedVerdte : saveTime;
}

bool editableFor(int wflg, int sflg, const TLoginUser& user)
{
    if (wflg != 1)
        return true;
    if (sflg != 1)
        return user.SOK || user.KOK;
    return user.KOK;
}

QString orderViolation(int stage, bool down, bool writeDown, bool approveDown, bool completeDown)
{
    switch (stage) {
    case kWrite:
        if (!down && approveDown)
            return QStringLiteral("既に承認済みです");
        break;
    case kApprove:
        if (down && !writeDown)
            return QStringLiteral("記載完了前です");
        if (!down && completeDown)
            return QStringLiteral("既に完成確認済みです");
        break;
    case kComplete:
        if (down && !approveDown)
            return QStringLiteral("承認前です");
        break;
    }
    return {};
}

} // namespace taiyouStages

using namespace taiyouStages;

namespace {
void paintStatus(QLabel* label, bool done)
{
    label->setText(done ? QStringLiteral("済") : QStringLiteral("未"));
    const QColor bg = done ? theme::kNavy : theme::kSkyBlue;
    label->setStyleSheet(QStringLiteral("QLabel { background-color: rgb(%1, %2, %3); color: white; }")
                             .arg(bg.red())
                             .arg(bg.green())
                             .arg(bg.blue()));
}
} // namespace

void TFrmUpdTaiyou::SetEditable(bool on)
{
    for (QPushButton* b : {bbtnTAIBYOADD, bbtnTAIBYODEL, bbtnOPEADD, bbtnOPEDEL, spbWFLG, spbSFLG, spbKFLG,
                           bbtnUpdate, bbtnSTpl, bbtnKTpl, bbtnCopy})
        b->setEnabled(on);
    pnlTop->setEnabled(on);
    for (int i = 0; i < 5; ++i)
        memo(i)->setReadOnly(!on);
    TBchg->setVisible(on);
}

// The labels show the stages as stored; the buttons what the next save stores.
void TFrmUpdTaiyou::showStages()
{
    const int flags[3] = {FWFLG, FSFLG, FKFLG};
    const QDateTime times[3] = {FWDTM, FSDTM, FKDTM};
    const QString names[3] = {FWNM, FSNM, FKNM};
    QPushButton* buttons[3] = {spbWFLG, spbSFLG, spbKFLG};
    QLabel* sts[3] = {lblWSTS, lblSSTS, lblKSTS};
    QLabel* users[3] = {lblWUSER, lblSUSER, lblKUSER};
    QLabel* dtms[3] = {lblWDTM, lblSDTM, lblKDTM};
    for (int i = 0; i < 3; ++i) {
        const bool done = flags[i] == 1;
        paintStatus(sts[i], done);
        buttons[i]->setChecked(done);
        users[i]->setText(done ? names[i] : QString());
        dtms[i]->setText(done && times[i].isValid() ? times[i].toString(QStringLiteral("yyyy/MM/dd HH:mm:ss"))
                                                    : QString());
    }
    bbtnAftUpd->setVisible(FKFLG == 1 && FACTKBN == 1);
}

void TFrmUpdTaiyou::enableStageButtonsByPermission()
{
    const TLoginUser& u = G().user;
    spbKFLG->setEnabled(u.KOK);
    spbSFLG->setEnabled(u.SOK);
    spbWFLG->setEnabled(u.WOK && FSFLG != 1);
}

void TFrmUpdTaiyou::applyEditability(int actkbn, int delkbn)
{
    if (actkbn == 0 || delkbn == 1 || FKFLG == 1) {
        SetEditable(false);
        return;
    }
    SetEditable(editableFor(FWFLG, FSFLG, G().user));
    enableStageButtonsByPermission();
}

void TFrmUpdTaiyou::stageClicked(int stage, bool down)
{
    QPushButton* buttons[3] = {spbWFLG, spbSFLG, spbKFLG};
    const QString warning = orderViolation(stage, down, spbWFLG->isChecked(), spbSFLG->isChecked(),
                                           spbKFLG->isChecked());
    if (warning.isEmpty())
        return;
    msg::warning(this, warning);
    buttons[stage]->setChecked(!down);
}

bool TFrmUpdTaiyou::CreateNewVersion()
{
    const QString userId = G().user.userId;
    const TWriteResult r = write([&](TConnection& conn) {
        // Only from the completed version that is still the current one:
        // not when another workstation deleted it or made a newer version.
        requireVersionAsLoaded(conn);
        if (FKFLG != 1 || numbers::nextVerno(conn, FKNO) != FVERNO + 1)
            throw EConflictError(QStringLiteral("summary %1 has a version after %2").arg(FKNO).arg(FVERNO));
        // The old version stops being current before the new one is
        // inserted: a summary has one current version at every moment.
        ADOQ->setSql(R"(UPDATE "KLOV"."D_TAIYOU" SET "ACTKBN" = 0, "UPDDTM" = DATE_TRUNC('second',NOW()),
              "UPDUSERID" = :UPDUSERID
            WHERE "KNO" = :KNO AND "VERNO" = :VERNO AND "ACTKBN" = 1 AND "DELKBN" = 0 AND "KFLG" = 1)");
        ADOQ->setText("UPDUSERID", userId, 24).setInt("KNO", FKNO).setInt("VERNO", FVERNO);
        ADOQ->execSqlExpect(1);

        ADOQ->setSql(R"(INSERT INTO "KLOV"."D_TAIYOU" ("KNO", "VERNO", "ACTKBN", "DELKBN", "KACD", "ID", "NDTE", "TDTE",
              "NSYU", "NYUCNT", "NYURIYU", "NYUBEFKEIKA", "NYUKEIKA", "TAIJOUHO", "TAIYAKU", "TAIHOU",
              "SYUDR", "TANDR1", "TANDR2", "TANDR3", "WDR", "WFLG", "SFLG", "KFLG", "INSDTM", "INSUSERID")
            SELECT "KNO", ("VERNO" + 1), 1, 0, "KACD", "ID", "NDTE", "TDTE",
              "NSYU", "NYUCNT", "NYURIYU", "NYUBEFKEIKA", "NYUKEIKA", "TAIJOUHO", "TAIYAKU", "TAIHOU",
              "SYUDR", "TANDR1", "TANDR2", "TANDR3", "WDR", 0, 0, 0, DATE_TRUNC('second',NOW()), :INSUSERID
            FROM "KLOV"."D_TAIYOU" WHERE "KNO" = :KNO AND "VERNO" = :VERNO)");
        ADOQ->setText("INSUSERID", userId, 24).setInt("KNO", FKNO).setInt("VERNO", FVERNO);
        ADOQ->execSqlExpect(1);

        ADOQ->setSql(R"(INSERT INTO "KLOV"."D_TAIBYO" ("KNO", "VERNO", "BNO", "SNO", "SNO1", "SNO2")
            SELECT "KNO", ("VERNO" + 1), "BNO", "SNO", "SNO1", "SNO2" FROM "KLOV"."D_TAIBYO"
            WHERE "KNO" = :KNO AND "VERNO" = :VERNO)");
        ADOQ->setInt("KNO", FKNO).setInt("VERNO", FVERNO);
        ADOQ->execSql();

        ADOQ->setSql(R"(INSERT INTO "KLOV"."D_TAIOPE" ("KNO", "VERNO", "ONO", "RNO", "DELKBN", "INSDTM", "INSUSERID")
            SELECT "KNO", ("VERNO" + 1), "ONO", "RNO", 0, DATE_TRUNC('second',NOW()), :INSUSERID
            FROM "KLOV"."D_TAIOPE" WHERE "KNO" = :KNO AND "VERNO" = :VERNO AND "DELKBN" = 0)");
        ADOQ->setText("INSUSERID", userId, 24).setInt("KNO", FKNO).setInt("VERNO", FVERNO);
        ADOQ->execSql();
    });
    if (r == TWriteResult::Conflict)
        rereadAfterConflict();
    if (r != TWriteResult::Done)
        return false;
    ++FVERNO;
    return true;
}

void TFrmUpdTaiyou::bbtnAftUpdClick()
{
    if (!msg::question(this, QStringLiteral("既に完成確認済です。\r\n修正する場合はVersionが上がり、\r\n"
                                            "記載完了前の状態となりますがよろしいですか？")))
        return;
    if (!CreateNewVersion())
        return;
    LoadSummary();
    takeSnapshot();
    bbtnAftUpd->hide();
    // What a refused save could not store here is now typed into the new version.
    carryUnsaved();
    // The new version is being written like any other: keep its text safe too.
    if (!memNYUBEFKEIKA->isReadOnly())
        startAutosave();
}
