// Absent dates, onset codes and the SQL display columns, each checked on the
// real server where SQL computes them.

#include "common/TestDb.h"
#include "db/Records.h"

TEST(Records, AbsentDates)
{
    EXPECT_TRUE(rec::isAbsentDate(QDate()));
    EXPECT_TRUE(rec::isAbsentDate(rec::kZeroDate));
    EXPECT_TRUE(rec::isAbsentDate(QDate(1899, 12, 31)));
    EXPECT_FALSE(rec::isAbsentDate(QDate(1900, 1, 1)));
    EXPECT_EQ(rec::yyyymmdd(QDate()), QStringLiteral("18991230"));
    EXPECT_EQ(rec::yyyymmdd(QDate(2024, 3, 5)), QStringLiteral("20240305"));
    EXPECT_EQ(rec::rangeEnd(rec::kZeroDate), QStringLiteral("99999999"));
    EXPECT_EQ(rec::rangeEnd(QDate(2024, 3, 5)), QStringLiteral("20240305"));
    EXPECT_EQ(rec::fromYyyymmdd(QStringLiteral("20240230")), QDate());
    EXPECT_EQ(rec::fromYyyymmdd(QStringLiteral("20240229")), QDate(2024, 2, 29));
}

TEST(Records, OnsetCodes)
{
    EXPECT_EQ(rec::hjikiBuild(true, 2019, 3, 5), QStringLiteral("00000000"));
    EXPECT_EQ(rec::hjikiBuild(false, 0, 3, 5), QString());
    EXPECT_EQ(rec::hjikiBuild(false, 2019, 0, 5), QStringLiteral("20190000")) << "no day without a month";
    EXPECT_EQ(rec::hjikiBuild(false, 2019, 3, 0), QStringLiteral("20190300"));
    EXPECT_EQ(rec::hjikiBuild(false, 2019, 3, 5), QStringLiteral("20190305"));

    for (const char* ok : {"", "00000000", "20190000", "20190300", "20190305", "20200229"})
        EXPECT_TRUE(rec::hjikiValid(QString::fromLatin1(ok))) << ok;
    for (const char* bad : {"2019", "00000300", "20190005", "20191300", "20190230", "20190229", "2019x305"})
        EXPECT_FALSE(rec::hjikiValid(QString::fromLatin1(bad))) << bad;

    EXPECT_EQ(rec::hjikiListText(QString()), QString());
    EXPECT_EQ(rec::hjikiListText(QStringLiteral("00000000")), QStringLiteral("不明"));
    EXPECT_EQ(rec::hjikiListText(QStringLiteral("20190000")), QStringLiteral("2019年頃"));
    EXPECT_EQ(rec::hjikiListText(QStringLiteral("20190300")), QStringLiteral("2019年03月頃"));
    EXPECT_EQ(rec::hjikiListText(QStringLiteral("20190305")), QStringLiteral("2019年03月05日"));
    EXPECT_EQ(rec::hjikiPrintText(QStringLiteral("20190300")), QStringLiteral("2019年3月頃"));
    EXPECT_EQ(rec::hjikiPrintText(QStringLiteral("20190305")), QStringLiteral("2019/3/5"));
    EXPECT_EQ(rec::hjikiPrintText(QStringLiteral("00000000")), QStringLiteral("不明"));
    EXPECT_EQ(rec::hjikiPrintText(QStringLiteral("20190000")), QStringLiteral("2019年頃"));
}

class RecordsSql : public DbTest {};

TEST_F(RecordsSql, DisplayColumnsAndKeysComputedByTheServer)
{
    sql(R"(INSERT INTO "KLOV"."D_KANBYO" ("ID","BNO","RNO","HJIKI","ENDDTE","TENKI","DISTKBN") VALUES
             (1, 1, 1, '',         '1899-12-30', 1, 1),
             (1, 2, 1, '00000000', '2024-03-05', 4, 0),
             (1, 3, 1, '20190000', NULL,         0, 0),
             (1, 4, 12,'20190300', NULL,         0, 0),
             (1, 5, 1, '20190305', NULL,         0, 0),
             (1, 6, 1, NULL,       NULL,         0, 0))");
    TQuery q(&conn());
    q.setSql(QStringLiteral(R"(SELECT %1 AS "HJIKINM", %2 AS "ENDDTEN", %3 AS "TENKIN", %4 AS "DISTKBNN", %5 AS "SKEY"
                               FROM "KLOV"."D_KANBYO" B WHERE B."ID" = :ID ORDER BY B."BNO")")
                 .arg(rec::sqlHjikiNm(QStringLiteral("B")), rec::sqlDateN(QStringLiteral("ENDDTE"), QStringLiteral("B")),
                      rec::sqlTenkiN(QStringLiteral("B")), rec::sqlDistKbnN(QStringLiteral("B")),
                      rec::skeyDisease(QStringLiteral("B"))));
    q.setInt64("ID", 1);
    q.open();
    ASSERT_EQ(q.recordCount(), 6);
    const QStringList expectedOnset = {"", "不明", "2019年頃", "2019年03月頃", "2019年03月05日", ""};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(q.fieldAt(i, "HJIKINM").asString(), expectedOnset[i]) << i;
        EXPECT_EQ(q.fieldAt(i, "HJIKINM").asString(),
                  rec::hjikiListText(scalar(QStringLiteral(R"(SELECT "HJIKI" FROM "KLOV"."D_KANBYO" WHERE "BNO" = %1)").arg(i + 1))))
            << "client and server texts agree";
    }
    EXPECT_EQ(q.fieldAt(0, "ENDDTEN").asString(), QString()) << "zero date shows empty";
    EXPECT_EQ(q.fieldAt(1, "ENDDTEN").asString(), QStringLiteral("2024/03/05"));
    EXPECT_EQ(q.fieldAt(2, "ENDDTEN").asString(), QString());
    EXPECT_EQ(q.fieldAt(0, "TENKIN").asString(), QStringLiteral("軽快"));
    EXPECT_EQ(q.fieldAt(1, "TENKIN").asString(), QStringLiteral("死亡"));
    EXPECT_EQ(q.fieldAt(2, "TENKIN").asString(), QString());
    EXPECT_EQ(q.fieldAt(0, "DISTKBNN").asString(), QStringLiteral("疑い"));
    EXPECT_EQ(q.fieldAt(1, "DISTKBNN").asString(), QString());
    EXPECT_EQ(q.fieldAt(3, "SKEY").asString(), QStringLiteral("000040012"));
    // the zero date written the usual way reads back as the zero date
    q.setSql(R"(SELECT TO_CHAR(TO_TIMESTAMP(:D,'YYYYMMDD'),'YYYYMMDD') AS "X")");
    q.setText("D", rec::yyyymmdd(QDate()), 8);
    q.open();
    EXPECT_EQ(q.field("X").asString(), QStringLiteral("18991230"));
}

TEST_F(RecordsSql, CodeWordsOfTheLists)
{
    sql(R"(INSERT INTO "KLOV"."M_USER" ("USERID","JTYP","WOK","MNTFLG") VALUES ('a',0,1,1),('b',1,0,0),('c',9,0,0),('d',5,0,0);
           INSERT INTO "KLOV"."D_TAIYOU" ("KNO","VERNO","NSYU","WFLG","TDTE") VALUES (12,3,1,1,'1899-12-30'))");
    EXPECT_EQ(scalar(QStringLiteral(R"(SELECT string_agg(%1 || '/' || %2 || '/' || %3, ',' ORDER BY "USERID") FROM "KLOV"."M_USER")")
                         .arg(rec::sqlJtypNm(), rec::sqlKanoNm(QStringLiteral("WOK")), rec::sqlMntMk())),
              QStringLiteral("医師/可能/〇,ＤＣ//,その他//,//"));
    EXPECT_EQ(scalar(QStringLiteral(R"(SELECT %1 || '|' || %2 || '|' || %3 || '|' || %4 FROM "KLOV"."D_TAIYOU" T)")
                         .arg(rec::skeySummary(QStringLiteral("T")), rec::sqlNsyuNm(QStringLiteral("T")),
                              rec::sqlSumiMk(QStringLiteral("WFLG"), QStringLiteral("T")),
                              rec::sqlDateN(QStringLiteral("TDTE"), QStringLiteral("T")))),
              QStringLiteral("0000012003|予定外|済|"));
    EXPECT_EQ(scalar(QStringLiteral(R"(SELECT %1 || %2 || %3 || %4)")
                         .arg(rec::sqlHkbnNm().replace(QStringLiteral("\"HKBN\""), QStringLiteral("2")),
                              rec::sqlDspMkKa().replace(QStringLiteral("\"DSPKBN\""), QStringLiteral("1")),
                              rec::sqlDspMkDrKa().replace(QStringLiteral("\"DSPKBN\""), QStringLiteral("0")),
                              rec::sqlDelNm().replace(QStringLiteral("\"DELKBN\""), QStringLiteral("1")))),
              QStringLiteral("不詳×〇○"));
}
