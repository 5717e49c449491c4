// Completion stages in the summary editor: who may edit at which stage, the
// stage buttons by permission, their order, the stage columns on saving and
// the new version after completion.

#include "test_editor_fixture.h"

#include "app/UntDM.h"

#include <QLabel>

namespace {
const char* kWritten = R"("WFLG" = 1, "WUSERID" = 'dr1', "WDTM" = '2024-04-11 10:00:00')";
const char* kApproved = R"("WFLG" = 1, "WUSERID" = 'dr1', "WDTM" = '2024-04-11 10:00:00',
                          "SFLG" = 1, "SUSERID" = 'dr2', "SDTM" = '2024-04-12 11:00:00')";
const char* kCompleted = R"("WFLG" = 1, "WUSERID" = 'dr1', "WDTM" = '2024-04-11 10:00:00',
                           "SFLG" = 1, "SUSERID" = 'dr2', "SDTM" = '2024-04-12 11:00:00',
                           "KFLG" = 1, "KUSERID" = 'dr2', "KDTM" = '2024-04-13 12:00:00', "VERDTE" = '2024-04-13 12:00:00')";
} // namespace

TEST_F(EditorTest, AWriterMarksWritingCompleteAndThenCanNoLongerEdit)
{
    loginAs(QStringLiteral("w1"), 1, true, false, false);
    addSummary(1, 1);
    {
        TFrmUpdTaiyou& f = open(1, 1);
        EXPECT_FALSE(f.memNYUKEIKA->isReadOnly());
        EXPECT_TRUE(f.bbtnUpdate->isEnabled());
        EXPECT_TRUE(f.spbWFLG->isEnabled());
        EXPECT_FALSE(f.spbSFLG->isEnabled());
        EXPECT_FALSE(f.spbKFLG->isEnabled());
        QTest::mouseClick(f.spbWFLG, Qt::LeftButton);
        EXPECT_TRUE(f.IsChanged());
        EXPECT_EQ(f.lblWSTS->text(), QStringLiteral("未")) << "labels show the stored stage";
        boxes.answer(QMessageBox::Yes);   // no diagnosis yet
        QTest::mouseClick(f.bbtnUpdate, Qt::LeftButton);
        ASSERT_EQ(f.result(), QDialog::Accepted) << boxes.texts().join('|').toStdString();
    }
    EXPECT_EQ(col("WFLG"), QStringLiteral("1"));
    EXPECT_EQ(col("WUSERID"), QStringLiteral("w1"));
    EXPECT_EQ(scalar(R"(SELECT ABS(EXTRACT(EPOCH FROM ("WDTM" - NOW()))) < 5 AND "WDTM" = DATE_TRUNC('second',"WDTM")
                         FROM "KLOV"."D_TAIYOU")"),
              QStringLiteral("True"));
    EXPECT_EQ(col("SFLG"), QStringLiteral("0"));
    EXPECT_EQ(time("SDTM"), QStringLiteral("1899-12-30 00:00:00"));

    TFrmUpdTaiyou& f = open(1, 1);
    EXPECT_TRUE(f.memNYUKEIKA->isReadOnly());
    EXPECT_FALSE(f.pnlTop->isEnabled());
    EXPECT_FALSE(f.bbtnUpdate->isEnabled());
    EXPECT_FALSE(f.bbtnTAIBYODEL->isEnabled());
    EXPECT_FALSE(f.bbtnSTpl->isEnabled());
    EXPECT_TRUE(f.spbWFLG->isEnabled());
    EXPECT_TRUE(f.spbWFLG->isChecked());
    EXPECT_TRUE(f.bbtnMntAl->isEnabled());
    EXPECT_EQ(f.lblWSTS->text(), QStringLiteral("済"));
    EXPECT_EQ(f.lblWUSER->text(), QStringLiteral("w1先生"));
    EXPECT_EQ(f.lblWDTM->text(), scalar(R"(SELECT TO_CHAR("WDTM",'YYYY/MM/DD HH24:MI:SS') FROM "KLOV"."D_TAIYOU")"));
    EXPECT_EQ(f.lblSUSER->text(), QString());
    EXPECT_FALSE(f.timWrite->isActive()) << "a version the user cannot edit is not autosaved";
}

TEST_F(EditorTest, AnApproverKeepsTheWriterAndStoresTheApproval)
{
    loginAs(QStringLiteral("a1"), 0, false, true, false);
    addSummary(1, 1, 1001, 1, "2024-04-01", "2024-04-10", 1, kWritten);
    {
        TFrmUpdTaiyou& f = open(1, 1);
        EXPECT_FALSE(f.memNYUKEIKA->isReadOnly());
        EXPECT_FALSE(f.spbWFLG->isEnabled()) << "no WOK";
        EXPECT_TRUE(f.spbSFLG->isEnabled());
        EXPECT_FALSE(f.spbKFLG->isEnabled());
        EXPECT_EQ(f.lblWUSER->text(), QStringLiteral("医師 一郎"));
        EXPECT_EQ(f.lblWDTM->text(), QStringLiteral("2024/04/11 10:00:00"));
        QTest::mouseClick(f.spbSFLG, Qt::LeftButton);
        boxes.answer(QMessageBox::Yes);
        QTest::mouseClick(f.bbtnUpdate, Qt::LeftButton);
        ASSERT_EQ(f.result(), QDialog::Accepted);
    }
    EXPECT_EQ(col("WUSERID"), QStringLiteral("dr1"));
    EXPECT_EQ(time("WDTM"), QStringLiteral("2024-04-11 10:00:00"));
    EXPECT_EQ(col("SFLG"), QStringLiteral("1"));
    EXPECT_EQ(col("SUSERID"), QStringLiteral("a1"));

    // approved: only a user who may confirm completion edits now
    TFrmUpdTaiyou& f = open(1, 1);
    EXPECT_TRUE(f.memNYUKEIKA->isReadOnly());
    EXPECT_TRUE(f.spbSFLG->isEnabled());
}

TEST_F(EditorTest, EditabilityFollowsTheStoredStageAndThePermissions)
{
    struct Case {
        const char* stage;
        bool wok, sok, kok;
        bool editable, w, s, k;
    };
    const Case cases[] = {
        {"", false, false, false, true, false, false, false},
        {kWritten, true, false, false, false, true, false, false},
        {kWritten, false, false, true, true, false, false, true},
        {kApproved, true, true, false, false, false, true, false},
        {kApproved, false, false, true, true, false, false, true},
        {kCompleted, true, true, true, false, false, false, false},
    };
    addSummary(1, 1);
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(n);
        sql(R"(UPDATE "KLOV"."D_TAIYOU" SET "WFLG" = 0, "SFLG" = 0, "KFLG" = 0)");
        if (*c.stage)
            sql(QStringLiteral(R"(UPDATE "KLOV"."D_TAIYOU" SET %1)").arg(QString::fromUtf8(c.stage)));
        loginAs(QStringLiteral("u%1").arg(n++), 0, c.wok, c.sok, c.kok);
        TFrmUpdTaiyou& f = open(1, 1);
        EXPECT_EQ(!f.memTAIHOU->isReadOnly(), c.editable);
        EXPECT_EQ(f.bbtnUpdate->isEnabled(), c.editable);
        EXPECT_EQ(f.pnlTop->isEnabled(), c.editable);
        EXPECT_EQ(f.bbtnOPEADD->isEnabled(), c.editable);
        EXPECT_EQ(f.TBchg->isVisible(), c.editable);
        EXPECT_EQ(f.spbWFLG->isEnabled(), c.w);
        EXPECT_EQ(f.spbSFLG->isEnabled(), c.s);
        EXPECT_EQ(f.spbKFLG->isEnabled(), c.k);
        EXPECT_TRUE(f.bbtnMntDev->isEnabled());
    }
}

TEST_F(EditorTest, StagesMoveOnlyInTheirOrder)
{
    loginAs(QStringLiteral("dr1"), 0);
    addSummary(1, 1);
    TFrmUpdTaiyou& f = open(1, 1);
    QTest::mouseClick(f.spbKFLG, Qt::LeftButton);
    EXPECT_EQ(boxes.last(), QStringLiteral("承認前です"));
    EXPECT_FALSE(f.spbKFLG->isChecked());
    QTest::mouseClick(f.spbSFLG, Qt::LeftButton);
    EXPECT_EQ(boxes.last(), QStringLiteral("記載完了前です"));
    EXPECT_FALSE(f.spbSFLG->isChecked());
    QTest::mouseClick(f.spbWFLG, Qt::LeftButton);
    QTest::mouseClick(f.spbSFLG, Qt::LeftButton);
    QTest::mouseClick(f.spbKFLG, Qt::LeftButton);
    EXPECT_EQ(boxes.boxes.size(), 2);
    EXPECT_TRUE(f.spbKFLG->isChecked());
    QTest::mouseClick(f.spbSFLG, Qt::LeftButton);
    EXPECT_EQ(boxes.last(), QStringLiteral("既に完成確認済みです"));
    EXPECT_TRUE(f.spbSFLG->isChecked());
    QTest::mouseClick(f.spbWFLG, Qt::LeftButton);
    EXPECT_EQ(boxes.last(), QStringLiteral("既に承認済みです"));
    EXPECT_TRUE(f.spbWFLG->isChecked());
    for (const auto& b : boxes.boxes)
        EXPECT_EQ(b.kind, msg::TKind::Warning);
}

TEST_F(EditorTest, CompletionFixesTheVersionTimeToTheSameSecond)
{
    loginAs(QStringLiteral("k1"), 0, true, true, true);
    addSummary(1, 1, 1001, 1, "2024-04-01", "2024-04-10", 1, kApproved);
    TFrmUpdTaiyou& f = open(1, 1);
    EXPECT_FALSE(f.spbWFLG->isEnabled()) << "approval stored";
    QTest::mouseClick(f.spbKFLG, Qt::LeftButton);
    boxes.answer(QMessageBox::Yes);
    QTest::mouseClick(f.bbtnUpdate, Qt::LeftButton);
    ASSERT_EQ(f.result(), QDialog::Accepted);
    EXPECT_EQ(col("KFLG"), QStringLiteral("1"));
    EXPECT_EQ(col("KUSERID"), QStringLiteral("k1"));
    EXPECT_EQ(time("KDTM"), time("VERDTE"));
    EXPECT_NE(time("KDTM"), QStringLiteral("1899-12-30 00:00:00"));
    EXPECT_EQ(time("SDTM"), QStringLiteral("2024-04-12 11:00:00"));
    EXPECT_EQ(col("SUSERID"), QStringLiteral("dr2"));
}

TEST_F(EditorTest, ClearingWritingCompleteStoresTheEmptyStage)
{
    loginAs(QStringLiteral("dr1"), 0);
    addSummary(1, 1, 1001, 1, "2024-04-01", "2024-04-10", 1, kWritten);
    TFrmUpdTaiyou& f = open(1, 1);
    ASSERT_TRUE(f.spbWFLG->isChecked());
    QTest::mouseClick(f.spbWFLG, Qt::LeftButton);
    EXPECT_TRUE(boxes.boxes.isEmpty());
    QTest::mouseClick(f.bbtnUpdate, Qt::LeftButton);
    ASSERT_EQ(f.result(), QDialog::Accepted);
    EXPECT_EQ(col("WFLG"), QStringLiteral("0"));
    EXPECT_EQ(col("WUSERID"), QString());
    EXPECT_EQ(scalar(R"(SELECT COUNT(*) FROM "KLOV"."D_TAIYOU" WHERE "WUSERID" = '')"), QStringLiteral("1"));
    EXPECT_EQ(time("WDTM"), QStringLiteral("1899-12-30 00:00:00"));
}

TEST_F(EditorTest, ACompletedVersionIsChangedThroughANewVersion)
{
    loginAs(QStringLiteral("dr1"), 0);
    addSummary(1, 1, 1001, 1, "2024-04-01", "2024-04-10", 1, kCompleted);
    sql(R"(INSERT INTO "KLOV"."D_TAIBYO" ("KNO","VERNO","BNO","SNO","SNO1","SNO2") VALUES (1,1,1,1,'',''),(1,1,2,2,'a','');
           INSERT INTO "KLOV"."D_KANOPE" ("ID","ONO","RNO","OPEDTE","OPENM","DELKBN") VALUES
             (1001,1,1,'2024-04-02','胃切除術',0),(1001,2,1,'2024-04-03','胆摘',0);
           INSERT INTO "KLOV"."D_TAIOPE" ("KNO","VERNO","ONO","RNO","DELKBN") VALUES (1,1,1,1,0),(1,1,2,1,1);)");
    TFrmUpdTaiyou& f = open(1, 1);
    EXPECT_TRUE(f.memNYUKEIKA->isReadOnly());
    EXPECT_FALSE(f.spbKFLG->isEnabled());
    EXPECT_FALSE(f.bbtnAftUpd->isHidden());
    EXPECT_EQ(f.lblKSTS->text(), QStringLiteral("済"));
    EXPECT_EQ(f.lblKUSER->text(), QStringLiteral("医師 二郎"));
    EXPECT_EQ(f.dbgOPE->rowCount(), 1);

    boxes.answer(QMessageBox::No);
    QTest::mouseClick(f.bbtnAftUpd, Qt::LeftButton);
    EXPECT_EQ(boxes.last(), QStringLiteral("既に完成確認済です。\r\n修正する場合はVersionが上がり、\r\n"
                                           "記載完了前の状態となりますがよろしいですか？"));
    EXPECT_EQ(f.FVERNO, 1);
    QTest::mouseClick(f.bbtnAftUpd, Qt::LeftButton);
    EXPECT_EQ(boxes.boxes.size(), 2);
    EXPECT_EQ(f.FVERNO, 2);
    EXPECT_EQ(f.lblVERNO->text(), QStringLiteral("2"));
    EXPECT_TRUE(f.bbtnAftUpd->isHidden());
    for (QLabel* l : {f.lblWSTS, f.lblSSTS, f.lblKSTS})
        EXPECT_EQ(l->text(), QStringLiteral("未"));
    for (QLabel* l : {f.lblWUSER, f.lblKDTM})
        EXPECT_EQ(l->text(), QString());
    EXPECT_FALSE(f.spbKFLG->isChecked());
    EXPECT_FALSE(f.memNYUKEIKA->isReadOnly());
    EXPECT_TRUE(f.bbtnUpdate->isEnabled());
    EXPECT_EQ(f.dbgTAIBYO->rowCount(), 2);
    EXPECT_EQ(f.dbgOPE->rowCount(), 1);
    EXPECT_EQ(f.dbgOPE->cellText(0, 1), QStringLiteral("胃切除術"));

    EXPECT_EQ(col("ACTKBN", 1, 1), QStringLiteral("0"));
    EXPECT_EQ(col("UPDUSERID", 1, 1), QStringLiteral("dr1"));
    EXPECT_EQ(col("ACTKBN", 1, 2), QStringLiteral("1"));
    EXPECT_EQ(col("NYUKEIKA", 1, 2), QStringLiteral("経過2"));
    EXPECT_EQ(col("INSUSERID", 1, 2), QStringLiteral("dr1"));
    EXPECT_EQ(scalar(R"(SELECT "WFLG" + "SFLG" + "KFLG" FROM "KLOV"."D_TAIYOU" WHERE "VERNO" = 2)"), QStringLiteral("0"));
    EXPECT_EQ(scalar(R"(SELECT COUNT(*) FROM "KLOV"."D_TAIYOU" WHERE "VERNO" = 2 AND "WUSERID" IS NULL AND "VERDTE" IS NULL)"),
              QStringLiteral("1"));
    EXPECT_EQ(scalar(R"(SELECT STRING_AGG("ONO"::text, ',') FROM "KLOV"."D_TAIOPE" WHERE "VERNO" = 2)"), QStringLiteral("1"));
    EXPECT_EQ(scalar(R"(SELECT COUNT(*) FROM "KLOV"."D_TAIBYO" WHERE "VERNO" = 2 AND "SNO1" IN ('', 'a'))"),
              QStringLiteral("2"));
    EXPECT_TRUE(f.timWrite->isActive());

    // the old version stays readable, without the button
    TFrmUpdTaiyou& old = open(1, 1);
    EXPECT_TRUE(old.bbtnAftUpd->isHidden());
    EXPECT_EQ(old.lblDelOld->text(), QStringLiteral("旧Version"));
}

TEST_F(EditorTest, NoNewVersionWhileAnotherTransactionIsOpen)
{
    loginAs(QStringLiteral("dr1"), 0);
    addSummary(1, 1, 1001, 1, "2024-04-01", "2024-04-10", 1, kCompleted);
    TFrmUpdTaiyou& f = open(1, 1);
    dm().ADOCPOST.beginTrans();
    QTest::mouseClick(f.bbtnAftUpd, Qt::LeftButton);
    dm().ADOCPOST.rollbackTrans();
    EXPECT_EQ(boxes.last(), QStringLiteral("データ使用中のため登録できません。"));
    EXPECT_EQ(f.FVERNO, 1);
    EXPECT_FALSE(f.bbtnAftUpd->isHidden());
    EXPECT_EQ(scalar(R"(SELECT COUNT(*) FROM "KLOV"."D_TAIYOU")"), QStringLiteral("1"));
    EXPECT_EQ(col("ACTKBN"), QStringLiteral("1"));
}

TEST_F(EditorTest, AFailedNewVersionLeavesTheCompletedVersionCurrent)
{
    loginAs(QStringLiteral("dr1"), 0);
    addSummary(1, 2, 1001, 1, "2024-04-01", "2024-04-10", 1, R"("DELKBN" = 1, "ACTKBN" = 0)");   // blocks VERNO 2
    addSummary(1, 1, 1001, 1, "2024-04-01", "2024-04-10", 1, kCompleted);
    sql(R"(INSERT INTO "KLOV"."D_TAIBYO" ("KNO","VERNO","BNO","SNO") VALUES (1,1,1,1))");
    TFrmUpdTaiyou& f = open(1, 1);
    QTest::mouseClick(f.bbtnAftUpd, Qt::LeftButton);
    ASSERT_EQ(boxes.boxes.size(), 2);
    EXPECT_EQ(boxes.last(), kConflictMessage);
    EXPECT_EQ(f.FVERNO, 1);
    EXPECT_EQ(col("ACTKBN"), QStringLiteral("1"));
    EXPECT_EQ(scalar(R"(SELECT COUNT(*) FROM "KLOV"."D_TAIBYO")"), QStringLiteral("1"));
}
