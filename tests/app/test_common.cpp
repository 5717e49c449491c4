// Configuration file and common routines.

#include "app/CommonU.h"
#include "common/TestApp.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

using namespace CommonU;

class CommonTest : public AppTest {};

TEST_F(CommonTest, IniReadsReportAMissingFileAndLeaveTheValue)
{
    QString text = QStringLiteral("postgres");
    int number = 5432;
    EXPECT_FALSE(ReadIniStr("BACKUP", "DB", text));
    EXPECT_FALSE(ReadIniInt("BACKUP", "PORT", number));
    EXPECT_EQ(text, QStringLiteral("postgres"));
    EXPECT_EQ(number, 5432);
    EXPECT_FALSE(QFileInfo::exists(iniPath()));

    EXPECT_TRUE(WriteIniStr("KLOVDB", "PASS", QStringLiteral("  p=a;ss,\"x\"  ")));
    EXPECT_TRUE(WriteIniStr("KLOVDB", "SOURCE", QStringLiteral("host=127.0.0.1 port=5 dbname=k")));
    EXPECT_TRUE(WriteIniInt("BACKUP", "POSTVER", 1));
    EXPECT_TRUE(WriteIniStr("IMPKANJA", "KANJAFILE", QStringLiteral("/ホーム/患者.csv")));
    EXPECT_TRUE(WriteIniStr("KLOVDB", "PASS", QStringLiteral("second")));  // rewritten in place
    const auto perms = QFileInfo(iniPath()).permissions();
    EXPECT_TRUE(perms.testFlag(QFileDevice::ReadOwner) && perms.testFlag(QFileDevice::WriteOwner));
    EXPECT_FALSE(perms & (QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ReadOther
                          | QFileDevice::WriteOther)) << "the file holds passwords";

    EXPECT_TRUE(ReadIniStr("klovdb", "pass", text));
    EXPECT_EQ(text, QStringLiteral("second"));
    EXPECT_TRUE(ReadIniStr("KLOVDB", "SOURCE", text));
    EXPECT_EQ(text, QStringLiteral("host=127.0.0.1 port=5 dbname=k"));
    EXPECT_TRUE(ReadIniStr("IMPKANJA", "KANJAFILE", text));
    EXPECT_EQ(text, QStringLiteral("/ホーム/患者.csv"));
    EXPECT_TRUE(ReadIniInt("BACKUP", "POSTVER", number));
    EXPECT_EQ(number, 1);
    EXPECT_TRUE(ReadIniStr("BACKUP", "NOKEY", text)) << "file exists: true, value empty";
    EXPECT_EQ(text, QString());
    EXPECT_TRUE(ReadIniInt("KLOVDB", "SOURCE", number)) << "not a number reads 0";
    EXPECT_EQ(number, 0);

    WriteIniStr("KLOVDB", "USER", QStringLiteral("  spaced  "));
    EXPECT_TRUE(ReadIniStr("KLOVDB", "USER", text));
    EXPECT_EQ(text, QStringLiteral("  spaced  ")) << "values keep their blanks";

    QFile f(iniPath());
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QString all = QString::fromUtf8(f.readAll());
    EXPECT_EQ(all.count(QStringLiteral("[KLOVDB]")), 1);
    EXPECT_EQ(all.count(QStringLiteral("PASS=")), 1);
}

TEST(CommonRoutines, CsvCleanerAndEscaper)
{
    const QString bs = QStringLiteral("\\n");
    EXPECT_EQ(CsvCellClean(QStringLiteral("   "), bs), QString());
    EXPECT_EQ(CsvCellClean(QString(), bs), QString());
    EXPECT_EQ(CsvCellClean(QStringLiteral(" a,b\r\nc\nd\re "), bs), QStringLiteral("a\\nb\\nc\\nd\\ne"));
    // Only ASCII blanks are trimmed: full-width and no-break spaces are text.
    EXPECT_EQ(CsvCellClean(QStringLiteral("\t\u3000a\u00A0 "), bs), QStringLiteral("\u3000a\u00A0"));
    EXPECT_EQ(CsvCellClean(QStringLiteral("\u3000"), bs), QStringLiteral("\u3000"));
    EXPECT_EQ(CsvQuoteEscape(QStringLiteral("he said \"hi\"\r\nbye")), QStringLiteral("he said \"\"hi\"\" bye"));
    EXPECT_EQ(CsvQuoteEscape(QStringLiteral("\"")), QStringLiteral("\"\""));
}

TEST(CommonRoutines, AgeAndIntegers)
{
    EXPECT_EQ(AgeYears(QDate(2024, 3, 14), QDate(2000, 3, 15)), 23);
    EXPECT_EQ(AgeYears(QDate(2024, 3, 15), QDate(2000, 3, 15)), 24);
    EXPECT_EQ(AgeYears(QDate(2024, 2, 29), QDate(2000, 3, 1)), 23);
    EXPECT_EQ(AgeYears(QDate(2000, 3, 15), QDate(2000, 3, 15)), 0);
    EXPECT_EQ(AgeYears(QDate(2000, 3, 14), QDate(2000, 3, 15)), -1);

    for (const char* yes : {"0", "-1", "+7", "  42", "2147483647", "-2147483648"})
        EXPECT_TRUE(IsInteger(QString::fromLatin1(yes))) << yes;
    for (const char* no : {"", " ", "-", "1.5", "12 ", "2147483648", "1e3", "0x10", "１２"})
        EXPECT_FALSE(IsInteger(QString::fromUtf8(no))) << no;
}

class RefreshTest : public AppTest {
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        loginAs(QStringLiteral("u1"));
        loadQarn();
        G().qarnLink = true;
        sql(R"(INSERT INTO "QARN"."M_KANJA" ("ID","KANA","NAME","SEX","BIRTH","POSTCD","ADR1","ADR2","TEL","FAX","MAIL","BIKO")
               VALUES (77, 'ヤマダ', '山田', 1, '1950-04-01', '100-0001', '東京都', '', '03-1', '', '', ''))");
    }
    QString row(const QString& id)
    {
        return scalar(QStringLiteral(R"(SELECT string_agg("RNO" || ':' || "ACTKBN" || ':' || COALESCE("POSTCD",'-') || ':' || COALESCE("KEITAI",'-'), ',' ORDER BY "RNO") FROM "KLOV"."M_KANJA" WHERE "ID" = %1)").arg(id));
    }
};

TEST_F(RefreshTest, SiblingOnlyPatientGetsTheNextRevision)
{
    RefreshPatientFromQarn(77);
    EXPECT_EQ(row("77"), QStringLiteral("1:1:100-0001:-"));
    EXPECT_EQ(scalar(R"(SELECT "KNJNAME" || "SEX" || TO_CHAR("BIRTH",'YYYYMMDD') || COALESCE("ADR2",'null') || "INSUSERID" FROM "KLOV"."M_KANJA")"),
              QStringLiteral("山田119500401nullu1")) << "empty texts are sent as null";
    // a patient whose rows were all deleted here comes back under the next number
    sql(R"(UPDATE "KLOV"."M_KANJA" SET "ACTKBN" = 0, "DELKBN" = 1)");
    RefreshPatientFromQarn(77);
    EXPECT_EQ(row("77"), QStringLiteral("1:0:100-0001:-,2:1:100-0001:-"));
}

TEST_F(RefreshTest, EqualRowWritesNothingAndADifferenceRewritesInPlaceKeepingTheMobile)
{
    RefreshPatientFromQarn(77);
    sql(R"(UPDATE "KLOV"."M_KANJA" SET "KEITAI" = '090-1234', "UPDDTM" = NULL)");
    RefreshPatientFromQarn(77);
    EXPECT_EQ(scalar(R"(SELECT COUNT("UPDDTM") FROM "KLOV"."M_KANJA")"), QStringLiteral("0")) << "nothing written";
    sql(R"(UPDATE "QARN"."M_KANJA" SET "POSTCD" = '200-0002')");
    RefreshPatientFromQarn(77);
    EXPECT_EQ(row("77"), QStringLiteral("1:1:200-0002:090-1234"));
    EXPECT_EQ(scalar(R"(SELECT "UPDUSERID" FROM "KLOV"."M_KANJA")"), QStringLiteral("u1"));
}

TEST_F(RefreshTest, NothingHappensWithTheLinkOffOrNoSiblingRow)
{
    G().qarnLink = false;
    RefreshPatientFromQarn(77);
    EXPECT_EQ(row("77"), QString());
    G().qarnLink = true;
    RefreshPatientFromQarn(0);
    RefreshPatientFromQarn(78);
    EXPECT_EQ(scalar(R"(SELECT COUNT(*) FROM "KLOV"."M_KANJA")"), QStringLiteral("0"));
    // a failing write is rolled back and swallowed
    sql(R"(ALTER TABLE "KLOV"."M_KANJA" ADD CONSTRAINT no77 CHECK ("ID" <> 77))");
    EXPECT_NO_THROW(RefreshPatientFromQarn(77));
    EXPECT_FALSE(conn().inTransaction());
    EXPECT_FALSE(dm().ADOCPOST.inTransaction());
}

TEST_F(RefreshTest, ServerTimeComesFromTheServer)
{
    dm().ADOCPOST.execDirect(QStringLiteral("SET TimeZone = 'Etc/GMT-14'"));
    const QDateTime server = GetServerTime();
    // the server's instant, though its session shows it 14 hours ahead of
    // UTC, on the workstation's clock
    EXPECT_LT(std::abs(server.secsTo(QDateTime::currentDateTimeUtc())), 60);
    EXPECT_EQ(server.timeSpec(), Qt::LocalTime);
}

TEST_F(CommonTest, AnUnreadableIniIsReportedAndLeftAlone)
{
    const QByteArray bytes("[KLOVDB]\r\nSOURCE=\xff\xfe\r\nPASS=x\r\n");
    QDir().mkpath(G().dataFolder);
    {
        QFile f(iniPath());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    EXPECT_TRUE(IniProblem().startsWith(QStringLiteral("設定ファイルを読み込めません。\r\n"))) << IniProblem().toStdString();
    QString text = QStringLiteral("kept");
    EXPECT_FALSE(ReadIniStr("KLOVDB", "PASS", text));
    EXPECT_EQ(text, QStringLiteral("kept"));
    EXPECT_FALSE(WriteIniStr("KLOVDB", "PASS", QStringLiteral("new")));
    QFile f(iniPath());
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), bytes) << "the settings are not lost";
}
