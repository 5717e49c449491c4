// The schema holds every table and column the forms bind, with at least the
// widths they bind, and the keys the numbering relies on are unique.

#include "common/TestDb.h"
#include "db/Errors.h"

#include <map>

namespace {
// table -> "COLUMN:kind[width]" where kind is t (text), i (integer),
// b (64-bit integer), d (timestamp), m (unbounded text).
const std::map<QString, QString> kTables = {
    {"M_USER", "USERID:t24 PASSW:t24 PASSCDTE:d USERKANA:t64 USERNM:t64 JTYP:i WOK:i SOK:i KOK:i "
               "MNTFLG:i COMM:t100 YSTRDTE:d YENDDTE:d INSDTM:d INSUSERID:t24 UPDDTM:d UPDUSERID:t24"},
    {"M_KANJA", "ID:b RNO:i ACTKBN:i KNJKANA:t50 KNJNAME:t50 SEX:i BIRTH:d POSTCD:t10 ADR1:t100 "
                "ADR2:t100 TEL:t20 KEITAI:t20 FAX:t20 MAIL:t50 BIKO:t128 DELKBN:i INSUSERID:t24 "
                "INSDTM:d UPDUSERID:t24 UPDDTM:d"},
    {"M_HOSP", "HOSPNO:i HOSPNM:t128 HOSPKANA:t128 HOSPADR:t128 POSTCD:t12 TEL:t48 FAX:t48 BIKO:t128"},
    {"M_KA", "KACD:i KANM:t50 KARNM:t2 DSPKBN:i INSDTM:d INSUSERID:t24 UPDDTM:d UPDUSERID:t24"},
    {"M_DRKA", "USERID:t24 KACD:i"},
    {"M_NMAIN", "BKNO:t8 BYONM:t200 BYOKANA:t200 ICD102013:t10 BCHGCD:t10"},
    {"M_KCODE", "KCODE:t12 SNM:t200"},
    {"M_ALLERGY", "ID:b RNO:i HKBN:i ADDDTE:d ALLEHIN:t64 HANNOU:t64 HJIKI:t8 KAFAMY:i KAHOSP:i "
                  "COMM:t100 DELKBN:i DELDTM:d DELUSERID:t24 INSDTM:d INSUSERID:t24"},
    {"M_DEVICE", "ID:b RNO:i ADDDTE:d DEVICE:t100 COMM:t100 DELKBN:i DELDTM:d DELUSERID:t24 INSDTM:d "
                 "INSUSERID:t24"},
    {"D_KANBYO", "ID:b BNO:i RNO:i ADDDTE:d BKNO:t8 DISTKBN:i BYONM:t200 HJIKI:t8 ENDDTE:d TENKI:i "
                 "BIKO:t100 DELKBN:i DELDTM:d DELUSERID:t24 INSDTM:d INSUSERID:t24"},
    {"D_KANOPE", "ID:b ONO:i RNO:i OPEDTE:d OPENM:t200 KCODE:t12 OPEDR1:t24 OPEDR2:t24 JYO1:t24 "
                 "JYO2:t24 COMM:t200 DELKBN:i DELDTM:d DELUSERID:t24 INSDTM:d INSUSERID:t24"},
    {"D_TAIYOU", "KNO:i VERNO:i ACTKBN:i DELKBN:i KACD:i ID:b NDTE:d TDTE:d NSYU:i NYUCNT:i "
                 "NYURIYU:t128 NYUBEFKEIKA:m NYUKEIKA:m TAIJOUHO:m TAIYAKU:m TAIHOU:m SYUDR:t24 "
                 "TANDR1:t24 TANDR2:t24 TANDR3:t24 WDR:t24 WFLG:i WUSERID:t24 WDTM:d SFLG:i "
                 "SUSERID:t24 SDTM:d KFLG:i KUSERID:t24 KDTM:d VERDTE:d INSDTM:d INSUSERID:t24 "
                 "UPDDTM:d UPDUSERID:t24"},
    {"D_TAIBYO", "KNO:i VERNO:i BNO:i SNO:i SNO1:t4 SNO2:t4"},
    {"D_TAIOPE", "KNO:i VERNO:i ONO:i RNO:i DELKBN:i INSDTM:d INSUSERID:t24"},
    {"D_MESS", "MESSNO:i RUSERID:t24 SUSERID:t24 SDTM:d KENMEI:t64 NAIYO:t300 LBLKBN:i KFLG:i KDTM:d "
               "RDELFLG:i RDELDTM:d SDELFLG:i SDELDTM:d"},
    {"M_MYTEMPLE", "USERID:t24 MTNO:i MTTITLE:t50 MTNAIYO:t500"},
    {"M_SYSTEM", "CODE:i NUM1:i STR1:t100"},
};
} // namespace

class SchemaTest : public DbTest {};

TEST_F(SchemaTest, EveryTableAndColumnWithItsWidth)
{
    TQuery q(&conn());
    q.setSql(R"(SELECT column_name, data_type, character_maximum_length FROM information_schema.columns
                WHERE table_schema = 'KLOV' AND table_name = :T)");
    for (const auto& [table, columns] : kTables) {
        q.setText("T", table, 0);
        q.open();
        ASSERT_FALSE(q.eof()) << table.toStdString() << " missing";
        for (const QString& item : columns.split(QLatin1Char(' '))) {
            const QString column = item.section(QLatin1Char(':'), 0, 0);
            const QString kind = item.section(QLatin1Char(':'), 1);
            SCOPED_TRACE((table + QLatin1Char('.') + column).toStdString());
            ASSERT_TRUE(q.locate("column_name", column, {false, false}));
            const QString type = q.field("data_type").asString();
            switch (kind[0].toLatin1()) {
            case 't':
                EXPECT_EQ(type, QStringLiteral("character varying"));
                EXPECT_GE(q.field("character_maximum_length").asInteger(), kind.mid(1).toInt());
                break;
            case 'm': EXPECT_EQ(type, QStringLiteral("text")); break;
            case 'i': EXPECT_EQ(type, QStringLiteral("integer")); break;
            case 'b': EXPECT_EQ(type, QStringLiteral("bigint")); break;
            case 'd': EXPECT_EQ(type, QStringLiteral("timestamp without time zone")); break;
            }
        }
        EXPECT_EQ(q.recordCount(), columns.count(QLatin1Char(' ')) + 1)
            << table.toStdString() << " has columns no form knows";
    }
}

TEST_F(SchemaTest, KeysAreUniqueAndFlagsDefaultToZero)
{
    TQuery q(&conn());
    q.setSql(R"(INSERT INTO "KLOV"."D_TAIYOU" ("KNO", "VERNO", "ID") VALUES (:KNO, :VERNO, 1))");
    q.setInt("KNO", 1).setInt("VERNO", 1).execSql();
    q.setInt("KNO", 1).setInt("VERNO", 2).execSql();
    EXPECT_THROW(q.setInt("KNO", 1).setInt("VERNO", 1).execSql(), EQueryError);
    EXPECT_EQ(scalar(R"(SELECT "WFLG" + "SFLG" + "KFLG" + "ACTKBN" + "DELKBN" FROM "KLOV"."D_TAIYOU" LIMIT 1)"),
              QStringLiteral("0"));

    const std::pair<const char*, const char*> duplicates[] = {
        {R"(INSERT INTO "KLOV"."M_KANJA" ("ID", "RNO") VALUES (5, 1))", "M_KANJA ID+RNO"},
        {R"(INSERT INTO "KLOV"."D_KANBYO" ("ID", "BNO", "RNO") VALUES (5, 1, 1))", "D_KANBYO ID+BNO+RNO"},
        {R"(INSERT INTO "KLOV"."D_KANOPE" ("ID", "ONO", "RNO") VALUES (5, 1, 1))", "D_KANOPE ID+ONO+RNO"},
        {R"(INSERT INTO "KLOV"."M_ALLERGY" ("ID", "RNO") VALUES (5, 1))", "M_ALLERGY ID+RNO"},
        {R"(INSERT INTO "KLOV"."M_DEVICE" ("ID", "RNO") VALUES (5, 1))", "M_DEVICE ID+RNO"},
        {R"(INSERT INTO "KLOV"."D_MESS" ("MESSNO", "RUSERID") VALUES (1, 'u'))", "D_MESS MESSNO+RUSERID"},
        {R"(INSERT INTO "KLOV"."M_USER" ("USERID") VALUES ('u'))", "M_USER USERID"},
        {R"(INSERT INTO "KLOV"."M_KA" ("KACD") VALUES (1))", "M_KA KACD"},
        {R"(INSERT INTO "KLOV"."M_MYTEMPLE" ("USERID", "MTNO") VALUES ('u', 1))", "M_MYTEMPLE USERID+MTNO"},
        {R"(INSERT INTO "KLOV"."M_SYSTEM" ("CODE") VALUES (10))", "M_SYSTEM CODE"},
    };
    for (const auto& [insert, what] : duplicates) {
        SCOPED_TRACE(what);
        sql(QString::fromUtf8(insert));
        EXPECT_THROW(sql(QString::fromUtf8(insert)), EQueryError);
    }
}

TEST_F(SchemaTest, SiblingTablesLoadBesideTheSchema)
{
    const QString presence = R"(SELECT COUNT(*) FROM information_schema.tables WHERE table_schema = 'QARN' AND table_name = 'M_KANJA')";
    EXPECT_EQ(scalar(presence), QStringLiteral("0"));
    loadQarn();
    EXPECT_EQ(scalar(presence), QStringLiteral("1"));
    sql(R"(INSERT INTO "QARN"."D_NTDATA" ("ID", "NKBN", "NYUDTM", "KACD") VALUES (1, 1, '2024-01-01', 1))");
    EXPECT_EQ(scalar(R"(SELECT COUNT(*) FROM "QARN"."D_NTDATA" D LEFT JOIN "QARN"."M_KA" K ON D."KACD" = K."KACD")"),
              QStringLiteral("1"));
}

TEST_F(SchemaTest, NoSecondLiveRow)
{
    sql(R"(INSERT INTO "KLOV"."M_KANJA" ("ID","RNO","ACTKBN","DELKBN") VALUES (5,1,0,0),(5,2,1,0),(5,3,0,1);
           INSERT INTO "KLOV"."D_KANBYO" ("ID","BNO","RNO","DELKBN") VALUES (5,1,1,1),(5,1,2,0),(5,2,1,0);
           INSERT INTO "KLOV"."D_KANOPE" ("ID","ONO","RNO","DELKBN") VALUES (5,1,1,1),(5,1,2,0);
           INSERT INTO "KLOV"."D_TAIYOU" ("KNO","VERNO","ACTKBN","DELKBN") VALUES (1,1,0,0),(1,2,1,0),(1,3,0,1);
           INSERT INTO "KLOV"."D_TAIBYO" ("KNO","VERNO","BNO","SNO","SNO1","SNO2") VALUES (1,2,1,1,NULL,NULL),(1,2,2,1,'a','');)");
    const char* seconds[] = {
        R"(INSERT INTO "KLOV"."M_KANJA" ("ID","RNO","ACTKBN","DELKBN") VALUES (5,4,1,0))",
        R"(INSERT INTO "KLOV"."D_KANBYO" ("ID","BNO","RNO","DELKBN") VALUES (5,1,3,0))",
        R"(INSERT INTO "KLOV"."D_KANOPE" ("ID","ONO","RNO","DELKBN") VALUES (5,1,3,0))",
        R"(INSERT INTO "KLOV"."D_TAIYOU" ("KNO","VERNO","ACTKBN","DELKBN") VALUES (1,4,1,0))",
        // an empty sub-number and an absent one are the same "#"
        R"(INSERT INTO "KLOV"."D_TAIBYO" ("KNO","VERNO","BNO","SNO","SNO1","SNO2") VALUES (1,2,3,1,'',NULL))",
    };
    for (const char* insert : seconds) {
        SCOPED_TRACE(insert);
        EXPECT_THROW(sql(QString::fromUtf8(insert)), EConflictError);
    }
    // a renumbering may pass through a duplicate "#" inside its transaction
    sql(R"(BEGIN; UPDATE "KLOV"."D_TAIBYO" SET "SNO1" = 'a' WHERE "BNO" = 1;
           UPDATE "KLOV"."D_TAIBYO" SET "SNO1" = NULL WHERE "BNO" = 2; COMMIT;)");
    EXPECT_EQ(scalar(R"(SELECT STRING_AGG("BNO" || ':' || COALESCE("SNO1",'-'), ' ' ORDER BY "BNO") FROM "KLOV"."D_TAIBYO")"),
              QStringLiteral("1:a 2:-"));
}

TEST_F(SchemaTest, UpgradeOfAnOlderDatabaseRepairsAndCanRunAgain)
{
    // The keys as an older database had them, with the second live rows an
    // older program could leave.
    sql(R"(DROP INDEX "KLOV"."M_KANJA_CURRENT"; DROP INDEX "KLOV"."D_KANBYO_LIVE"; DROP INDEX "KLOV"."D_KANOPE_LIVE";
           DROP INDEX "KLOV"."D_TAIYOU_CURRENT"; ALTER TABLE "KLOV"."D_TAIBYO" DROP CONSTRAINT "D_TAIBYO_NUMBER";
           CREATE INDEX "M_KANJA_ACT" ON "KLOV"."M_KANJA" ("ID") WHERE "ACTKBN" = 1 AND "DELKBN" = 0;
           INSERT INTO "KLOV"."M_KANJA" ("ID","RNO","ACTKBN","DELKBN") VALUES (5,1,1,0),(5,2,1,0);
           INSERT INTO "KLOV"."D_KANBYO" ("ID","BNO","RNO","DELKBN") VALUES (5,1,1,0),(5,1,2,0),(5,2,1,0);
           INSERT INTO "KLOV"."D_KANOPE" ("ID","ONO","RNO","DELKBN") VALUES (5,1,1,0),(5,1,2,0);
           INSERT INTO "KLOV"."D_TAIYOU" ("KNO","VERNO","ACTKBN","DELKBN") VALUES (1,1,1,0),(1,2,1,0);
           INSERT INTO "KLOV"."D_TAIBYO" ("KNO","VERNO","BNO","SNO","SNO1") VALUES (1,2,1,1,'a'),(1,2,1,1,'a'),(1,2,2,2,'');)");
    const QString upgrade = testenv::sourceFile(QStringLiteral("db/upgrade.sql"));
    sql(upgrade);
    sql(upgrade);
    EXPECT_EQ(scalar(R"(SELECT STRING_AGG("RNO"::text, ',' ORDER BY "RNO") FROM "KLOV"."M_KANJA" WHERE "ACTKBN" = 1)"),
              QStringLiteral("2"));
    EXPECT_EQ(scalar(R"(SELECT STRING_AGG("BNO" || '.' || "RNO", ',' ORDER BY "BNO", "RNO") FROM "KLOV"."D_KANBYO" WHERE "DELKBN" = 0)"),
              QStringLiteral("1.2,2.1"));
    EXPECT_EQ(scalar(R"(SELECT COUNT(*) FROM "KLOV"."D_KANOPE" WHERE "DELKBN" = 0)"), QStringLiteral("1"));
    EXPECT_EQ(scalar(R"(SELECT "VERNO" FROM "KLOV"."D_TAIYOU" WHERE "ACTKBN" = 1)"), QStringLiteral("2"));
    EXPECT_EQ(scalar(R"(SELECT COUNT(*) FROM "KLOV"."D_TAIBYO")"), QStringLiteral("2"));
    EXPECT_EQ(scalar(R"(SELECT COUNT(*) FROM pg_indexes WHERE schemaname = 'KLOV' AND indexname IN
                        ('M_KANJA_CURRENT','D_KANBYO_LIVE','D_KANOPE_LIVE','D_TAIYOU_CURRENT','D_TAIBYO_NUMBER','M_KANJA_ACT'))"),
              QStringLiteral("5"));
}
