// The diagnoses and operations attached to the version shown in the summary
// editor: listing, taking off, renumbering and moving a "#" group up.

#include "app/Globals.h"
#include "app/MsgBox.h"
#include "app/WaitCursor.h"
#include "app/UntDM.h"
#include "app/WriteRunner.h"
#include "controls/DBGrid.h"
#include "controls/NumberEdit.h"
#include "db/Errors.h"
#include "db/Query.h"
#include "db/Records.h"
#include "summary/FrmUpdTaiyouU.h"

#include <QAction>

void TFrmUpdTaiyou::LoadDiagnoses()
{
    TWaitCursor wait;
    try {
        ADOQTAIBYO->setSql(QStringLiteral(R"(SELECT T."SNO", T."SNO1", T."SNO2", T."BNO",
              CAST((CASE WHEN B."BYONM" IS NULL THEN '患者病名削除済' ELSE B."BYONM" END) AS character varying(30)) AS "BYONAME",
              B."BIKO", M."ICD102013",
              %1 AS "TENKIN", %2 AS "HJIKINM", %3 AS "DISTKBNN", %4 AS "ENDDTEN"
            FROM "KLOV"."D_TAIBYO" T
            LEFT JOIN "KLOV"."D_KANBYO" B ON B."ID" = :ID AND T."BNO" = B."BNO" AND B."DELKBN" = 0
            LEFT JOIN "KLOV"."M_NMAIN" M ON B."BKNO" = M."BKNO"
            WHERE T."KNO" = :KNO AND T."VERNO" = :VERNO
            ORDER BY T."SNO", T."SNO1", T."SNO2")")
                               .arg(rec::sqlTenkiN(QStringLiteral("B")), rec::sqlHjikiNm(QStringLiteral("B")),
                                    rec::sqlDistKbnN(QStringLiteral("B")),
                                    rec::sqlDateN(QStringLiteral("ENDDTE"), QStringLiteral("B"))));
        ADOQTAIBYO->setInt64("ID", nedtID->asInt64()).setInt("KNO", FKNO).setInt("VERNO", FVERNO);
        ADOQTAIBYO->open();
    } catch (const std::exception& e) {
        ADOQTAIBYO->close();
        msg::warning(this, errorWarningText(e));
    }
}

void TFrmUpdTaiyou::LoadOperations()
{
    TWaitCursor wait;
    try {
        // KCODE and COMM of the patient's operation are listed in the grid.
        ADOQOPE->setSql(QStringLiteral(R"(SELECT O.*, D."OPEDTE", D."OPENM", D."KCODE", D."COMM",
              O1."USERNM" AS "OPEDR1NM", O2."USERNM" AS "OPEDR2NM", J1."USERNM" AS "JYO1NM", J2."USERNM" AS "JYO2NM",
              %1 AS "SKEY"
            FROM "KLOV"."D_TAIOPE" O
            LEFT JOIN "KLOV"."D_KANOPE" D ON D."ID" = :ID AND D."DELKBN" = 0 AND O."ONO" = D."ONO"
            LEFT JOIN "KLOV"."M_USER" O1 ON D."OPEDR1" = O1."USERID"
            LEFT JOIN "KLOV"."M_USER" O2 ON D."OPEDR2" = O2."USERID"
            LEFT JOIN "KLOV"."M_USER" J1 ON D."JYO1" = J1."USERID"
            LEFT JOIN "KLOV"."M_USER" J2 ON D."JYO2" = J2."USERID"
            WHERE O."KNO" = :KNO AND O."VERNO" = :VERNO AND O."DELKBN" = 0
            ORDER BY D."OPEDTE")")
                            .arg(rec::skeyOperation(QStringLiteral("D"))));
        ADOQOPE->setInt64("ID", nedtID->asInt64()).setInt("KNO", FKNO).setInt("VERNO", FVERNO);
        ADOQOPE->open();
    } catch (const std::exception& e) {
        ADOQOPE->close();
        msg::warning(this, errorWarningText(e));
    }
}

void TFrmUpdTaiyou::DeleteDiagnosis()
{
    if (!ADOQTAIBYO->active() || ADOQTAIBYO->isEmpty() || ADOQTAIBYO->recNo() < 0)
        return;
    const QString number = ADOQTAIBYO->field("SNO").asString().trimmed()
        + ADOQTAIBYO->field("SNO1").asString().trimmed() + ADOQTAIBYO->field("SNO2").asString().trimmed();
    if (!msg::question(this, QStringLiteral("退院時診断 #") + number + QStringLiteral("を削除しますか？")))
        return;
    const int bno = ADOQTAIBYO->field("BNO").asInteger();
    const int sno = ADOQTAIBYO->field("SNO").asInteger();
    // The counts are taken inside the transaction, under the version's lock,
    // so the renumbering works on the list as it is, not as it was listed.
    bool gone = false;
    const TWriteResult r = write([&](TConnection& conn) {
        requireVersionAsLoaded(conn);
        ADOQ->setSql(R"(SELECT * FROM "KLOV"."D_TAIBYO" WHERE "KNO" = :KNO AND "VERNO" = :VERNO AND "SNO" = :SNO)");
        ADOQ->setInt("KNO", FKNO).setInt("VERNO", FVERNO).setInt("SNO", sno);
        ADOQ->open();
        const int underSno = ADOQ->recordCount();
        ADOQ->close();
        if (underSno == 0) {
            gone = true;
            return;
        }
        ADOQ->setSql(R"(SELECT * FROM "KLOV"."D_TAIBYO" WHERE "KNO" = :KNO AND "VERNO" = :VERNO AND "SNO" > :SNO)");
        ADOQ->setInt("KNO", FKNO).setInt("VERNO", FVERNO).setInt("SNO", sno);
        ADOQ->open();
        const bool higher = !ADOQ->eof();
        ADOQ->close();

        // The disease must still stand under the "#" the user saw.
        ADOQ->setSql(R"(DELETE FROM "KLOV"."D_TAIBYO" WHERE "KNO" = :KNO AND "VERNO" = :VERNO AND "BNO" = :BNO
            AND "SNO" = :SNO)");
        ADOQ->setInt("KNO", FKNO).setInt("VERNO", FVERNO).setInt("BNO", bno).setInt("SNO", sno);
        ADOQ->execSqlExpect(1);
        if (underSno < 2 && higher) {
            // Close the gap the emptied "#" leaves.
            ADOQ->setSql(R"(UPDATE "KLOV"."D_TAIBYO" SET "SNO" = "SNO" - 1
                WHERE "KNO" = :KNO AND "VERNO" = :VERNO AND "SNO" > :SNO)");
            ADOQ->setInt("KNO", FKNO).setInt("VERNO", FVERNO).setInt("SNO", sno);
            ADOQ->execSql();
        }
    });
    if (gone)
        msg::warning(this, QStringLiteral("削除対象データが存在しなくなりました。"));
    if (r == TWriteResult::Conflict)
        rereadAfterConflict();
    else if (r == TWriteResult::Done)
        LoadDiagnoses();
}

void TFrmUpdTaiyou::updateMoveUpItem()
{
    const bool rows = ADOQTAIBYO->active() && ADOQTAIBYO->recordCount() > 1 && ADOQTAIBYO->recNo() >= 0;
    TBchg->setEnabled(rows && ADOQTAIBYO->field("SNO").asInteger() != 1);
}

void TFrmUpdTaiyou::MoveDiagnosisUp()
{
    updateMoveUpItem();
    if (!TBchg->isEnabled() || !TBchg->isVisible())
        return;
    const int n = ADOQTAIBYO->field("SNO").asInteger();
    const int bno = ADOQTAIBYO->field("BNO").asInteger();
    const TWriteResult r = write([&](TConnection& conn) {
        requireVersionAsLoaded(conn);
        // The selected disease must still stand under "#n".
        ADOQ->setSql(R"(SELECT * FROM "KLOV"."D_TAIBYO" WHERE "KNO" = :KNO AND "VERNO" = :VERNO AND "SNO" = :SNO
            AND "BNO" = :BNO)");
        ADOQ->setInt("KNO", FKNO).setInt("VERNO", FVERNO).setInt("SNO", n).setInt("BNO", bno);
        ADOQ->open();
        const bool there = !ADOQ->eof();
        ADOQ->close();
        if (!there)
            throw EConflictError(QStringLiteral("diagnosis %1 is no longer under #%2").arg(bno).arg(n));
        // The whole group "#n" and the group "#n-1" change places in one
        // statement; the sub-numbers stay as they are.
        ADOQ->setSql(R"(UPDATE "KLOV"."D_TAIBYO" SET "SNO" = (CASE WHEN "SNO" = :N THEN :N - 1 ELSE :N END)
            WHERE "KNO" = :KNO AND "VERNO" = :VERNO AND "SNO" IN (:N, :N - 1))");
        ADOQ->setInt("KNO", FKNO).setInt("VERNO", FVERNO).setInt("N", n);
        ADOQ->execSql();
    });
    if (r == TWriteResult::Conflict)
        rereadAfterConflict();
    else if (r == TWriteResult::Done)
        LoadDiagnoses();
}

void TFrmUpdTaiyou::DeleteOperation()
{
    if (!ADOQOPE->active() || ADOQOPE->isEmpty() || ADOQOPE->recNo() < 0)
        return;
    if (!msg::question(this, QStringLiteral("手術・手技「") + ADOQOPE->field("OPENM").asString().trimmed()
                                 + QStringLiteral("」を削除しますか？")))
        return;
    const int ono = ADOQOPE->field("ONO").asInteger();
    const int rno = ADOQOPE->field("RNO").asInteger();
    const TWriteResult r = write([&](TConnection& conn) {
        requireVersionAsLoaded(conn);
        ADOQ->setSql(R"(UPDATE "KLOV"."D_TAIOPE" SET "DELKBN" = 1
            WHERE "KNO" = :KNO AND "VERNO" = :VERNO AND "ONO" = :ONO AND "RNO" = :RNO AND "DELKBN" = 0)");
        ADOQ->setInt("KNO", FKNO).setInt("VERNO", FVERNO).setInt("ONO", ono).setInt("RNO", rno);
        ADOQ->execSqlExpect(1);
    });
    if (r == TWriteResult::Conflict)
        rereadAfterConflict();
    else if (r == TWriteResult::Done)
        LoadOperations();
}
