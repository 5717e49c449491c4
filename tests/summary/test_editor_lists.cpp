// The diagnoses and operations of a version in the summary editor: the list,
// taking a diagnosis off with renumbering, moving a "#" group up, taking an
// operation off.

#include "test_editor_fixture.h"

#include <QAction>
#include <QMenu>

class EditorListTest : public EditorTest {
protected:
    void SetUp() override
    {
        EditorTest::SetUp();
        loginAs(QStringLiteral("dr1"), 0);
        addSummary(1, 1);
        sql(R"(INSERT INTO "KLOV"."M_NMAIN" ("BKNO","BYONM","ICD102013") VALUES ('B1','肺炎','J189');
               INSERT INTO "KLOV"."D_KANBYO" ("ID","BNO","RNO","BKNO","BYONM","HJIKI","ENDDTE","TENKI","DISTKBN","BIKO","DELKBN") VALUES
                 (1001,1,1,'B1','肺炎','20240300','2024-04-09',1,1,'右下葉',0),
                 (1001,2,1,'','高血圧','20190000','1899-12-30',0,0,'',0),
                 (1001,3,1,'','糖尿病','00000000','1899-12-30',0,0,'',0),
                 (1001,4,1,'','胃潰瘍','20200105','1899-12-30',0,0,'',0),
                 (1001,5,1,'','旧病名','','1899-12-30',0,0,'',1);)");
    }
    // "BNO:SNO" of every diagnosis of the version, in BNO order.
    QString numbers()
    {
        return scalar(R"(SELECT STRING_AGG("BNO" || ':' || "SNO", ' ' ORDER BY "BNO") FROM "KLOV"."D_TAIBYO"
                         WHERE "KNO" = 1 AND "VERNO" = 1)");
    }
    void select(TFrmUpdTaiyou& f, int bno)
    {
        ASSERT_TRUE(f.dbgTAIBYO->locate(QStringLiteral("BNO"), bno));
    }
};

TEST_F(EditorListTest, DiagnosesAreListedWithTheirWords)
{
    sql(R"(INSERT INTO "KLOV"."D_TAIBYO" ("KNO","VERNO","BNO","SNO","SNO1","SNO2") VALUES
             (1,1,2,2,'',''),(1,1,1,1,'b',''),(1,1,5,1,'a','1'))");
    TFrmUpdTaiyou& f = open(1, 1);
    ASSERT_EQ(f.dbgTAIBYO->rowCount(), 3);
    QStringList rows;
    for (int r = 0; r < 3; ++r) {
        QStringList cells;
        for (int c = 0; c < 10; ++c)
            cells << f.dbgTAIBYO->cellText(r, c);
        rows << cells.join('|');
    }
    EXPECT_EQ(rows, (QStringList{QStringLiteral("1|a|1||患者病名削除済|||||"),
                                 QStringLiteral("1|b||J189|肺炎|疑い|2024年03月頃|2024/04/09|軽快|右下葉"),
                                 QStringLiteral("2||||高血圧||2019年頃|||")}));
}

TEST_F(EditorListTest, TakingOffTheOnlyDiagnosisOfANumberCloseTheGap)
{
    sql(R"(INSERT INTO "KLOV"."D_TAIBYO" ("KNO","VERNO","BNO","SNO","SNO1","SNO2") VALUES
             (1,1,1,1,'',''),(1,1,2,2,'',''),(1,1,3,3,'a',''),(1,1,4,3,'b',''))");
    TFrmUpdTaiyou& f = open(1, 1);
    select(f, 2);
    boxes.answer(QMessageBox::No);
    QTest::mouseClick(f.bbtnTAIBYODEL, Qt::LeftButton);
    EXPECT_EQ(boxes.last(), QStringLiteral("退院時診断 #2を削除しますか？"));
    EXPECT_EQ(numbers(), QStringLiteral("1:1 2:2 3:3 4:3"));
    select(f, 2);
    QTest::mouseClick(f.bbtnTAIBYODEL, Qt::LeftButton);
    EXPECT_EQ(numbers(), QStringLiteral("1:1 3:2 4:2"));
    EXPECT_EQ(f.dbgTAIBYO->rowCount(), 3);

    // one of two under a number: nothing is renumbered
    select(f, 3);
    QTest::mouseClick(f.bbtnTAIBYODEL, Qt::LeftButton);
    EXPECT_EQ(boxes.last(), QStringLiteral("退院時診断 #2aを削除しますか？"));
    EXPECT_EQ(numbers(), QStringLiteral("1:1 4:2"));

    // a row another workstation took off in the meantime
    sql(R"(DELETE FROM "KLOV"."D_TAIBYO" WHERE "BNO" = 4)");
    select(f, 4);
    QTest::mouseClick(f.bbtnTAIBYODEL, Qt::LeftButton);
    EXPECT_EQ(boxes.last(), QStringLiteral("削除対象データが存在しなくなりました。"));
    EXPECT_EQ(f.dbgTAIBYO->rowCount(), 1);
}

TEST_F(EditorListTest, MovingUpSwapsWholeNumberGroups)
{
    sql(R"(INSERT INTO "KLOV"."D_TAIBYO" ("KNO","VERNO","BNO","SNO","SNO1","SNO2") VALUES
             (1,1,1,1,'',''),(1,1,2,2,'',''),(1,1,3,3,'a',''),(1,1,4,3,'b',''))");
    TFrmUpdTaiyou& f = open(1, 1);
    select(f, 1);
    emit f.pmTAIBYO->aboutToShow();
    EXPECT_FALSE(f.TBchg->isEnabled()) << "#1 cannot move up";
    f.TBchg->trigger();
    EXPECT_EQ(numbers(), QStringLiteral("1:1 2:2 3:3 4:3"));

    select(f, 4);
    emit f.pmTAIBYO->aboutToShow();
    EXPECT_TRUE(f.TBchg->isEnabled());
    f.TBchg->trigger();
    EXPECT_EQ(numbers(), QStringLiteral("1:1 2:3 3:2 4:2"));
    EXPECT_EQ(scalar(R"(SELECT STRING_AGG("SNO1", ',' ORDER BY "BNO") FROM "KLOV"."D_TAIBYO")"), QStringLiteral(",,a,b"));
    EXPECT_EQ(f.dbgTAIBYO->cellText(1, 1), QStringLiteral("a"));
    EXPECT_TRUE(boxes.boxes.isEmpty());
}

TEST_F(EditorListTest, TakingOffAnOperationMarksItDeleted)
{
    sql(R"(INSERT INTO "KLOV"."D_KANOPE" ("ID","ONO","RNO","OPEDTE","OPENM","KCODE","OPEDR1","OPEDR2","JYO1","COMM","DELKBN") VALUES
             (1001,1,1,'2024-04-03',' 胃切除術 ','K655','dr1','dr2','drold','腹腔鏡',0),
             (1001,2,1,'2024-04-02','胆摘','K672','dr2','','','',0);
           INSERT INTO "KLOV"."D_TAIOPE" ("KNO","VERNO","ONO","RNO","DELKBN") VALUES (1,1,1,1,0),(1,1,2,1,0),(1,1,2,2,1);)");
    TFrmUpdTaiyou& f = open(1, 1);
    ASSERT_EQ(f.dbgOPE->rowCount(), 2);
    EXPECT_EQ(f.dbgOPE->cellText(0, 1), QStringLiteral("胆摘"));
    QStringList cells;
    for (int c = 0; c < 7; ++c)
        cells << f.dbgOPE->cellText(1, c);
    EXPECT_EQ(cells.join('|'), QStringLiteral("2024/04/03| 胃切除術 |K655|医師 一郎|医師 二郎|退職 医師|腹腔鏡"));
    ASSERT_TRUE(f.dbgOPE->locate(QStringLiteral("ONO"), 1));
    QTest::mouseClick(f.bbtnOPEDEL, Qt::LeftButton);
    EXPECT_EQ(boxes.last(), QStringLiteral("手術・手技「胃切除術」を削除しますか？"));
    EXPECT_EQ(f.dbgOPE->rowCount(), 1);
    EXPECT_EQ(scalar(R"(SELECT "DELKBN" FROM "KLOV"."D_TAIOPE" WHERE "ONO" = 1)"), QStringLiteral("1"));
    EXPECT_EQ(scalar(R"(SELECT COUNT(*) FROM "KLOV"."D_TAIOPE")"), QStringLiteral("3"));
}

TEST_F(EditorListTest, ChangesOfTheListAtAnotherWorkstationAreNeverRenumberedBlindly)
{
    sql(R"(INSERT INTO "KLOV"."D_TAIBYO" ("KNO","VERNO","BNO","SNO","SNO1","SNO2") VALUES
             (1,1,1,1,'',''),(1,1,2,2,'',''),(1,1,3,3,'',''))");
    TFrmUpdTaiyou& f = open(1, 1);
    // the other workstation takes "#2" off and closes the gap
    sql(R"(DELETE FROM "KLOV"."D_TAIBYO" WHERE "BNO" = 2; UPDATE "KLOV"."D_TAIBYO" SET "SNO" = 2 WHERE "BNO" = 3;)");
    select(f, 2);
    f.bbtnTAIBYODEL->click();
    EXPECT_EQ(boxes.last(), kConflictMessage);
    EXPECT_EQ(numbers(), QStringLiteral("1:1 3:2")) << "no gap, nothing renumbered twice";
    EXPECT_EQ(f.ADOQTAIBYO->recordCount(), 2) << "the list is read again";

    // "#上位移動" on a row the other workstation has moved meanwhile
    sql(R"(UPDATE "KLOV"."D_TAIBYO" SET "SNO" = 3 - "SNO")");
    select(f, 3);   // listed under "#2", stored under "#1" by now
    f.TBchg->trigger();
    EXPECT_EQ(boxes.last(), kConflictMessage);
    EXPECT_EQ(numbers(), QStringLiteral("1:2 3:1"));

    // taking an operation off a version completed elsewhere
    sql(R"(INSERT INTO "KLOV"."D_KANOPE" ("ID","ONO","RNO","OPENM","DELKBN") VALUES (1001,1,1,'虫垂切除',0);
           INSERT INTO "KLOV"."D_TAIOPE" ("KNO","VERNO","ONO","RNO","DELKBN") VALUES (1,1,1,1,0);)");
    f.LoadOperations();
    sql(R"(UPDATE "KLOV"."D_TAIYOU" SET "WFLG" = 1, "SFLG" = 1, "KFLG" = 1)");
    f.bbtnOPEDEL->click();
    EXPECT_EQ(boxes.last(), kConflictMessage);
    EXPECT_EQ(scalar(R"(SELECT "DELKBN" FROM "KLOV"."D_TAIOPE")"), QStringLiteral("0"));
    EXPECT_TRUE(f.memNYUBEFKEIKA->isReadOnly()) << "the completed version is shown as it is now";
}
