// The statement layer against the real server.

#include "common/TestDb.h"
#include "db/Errors.h"

#include <QDateTime>

TEST(ParseParams, NamesOutsideLiteralsCommentsAndCasts)
{
    const auto p = parseNamedParams(QStringLiteral(
        "SELECT ':NOTA', \"x:NOTB\", 'it''s :NOTC', E'\\' :NOTD', $q$ :NOTE $q$, X::text, "
        ":A -- :NOTF\n, /* :NOTG /* nested */ :NOTH */ :b, :A, a[1:2] FROM t WHERE y = :C_1"));
    EXPECT_EQ(p.names, (QStringList{QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C_1")}));
    const QString sql = QString::fromUtf8(p.sql);
    EXPECT_TRUE(sql.contains(QStringLiteral("X::text, $1 --")));
    EXPECT_TRUE(sql.contains(QStringLiteral("*/ $2, $1, a[1:2]")));
    EXPECT_TRUE(sql.endsWith(QStringLiteral("y = $3")));
    EXPECT_TRUE(sql.contains(QStringLiteral("'it''s :NOTC'")));
    EXPECT_TRUE(sql.contains(QStringLiteral("E'\\' :NOTD'")));
}

class QueryTest : public DbTest {};

TEST_F(QueryTest, EachParameterTypeRoundTrips)
{
    TQuery q(&conn());
    q.setSql(R"(SELECT :T AS "T", :I AS "I", :B AS "B", :D AS "D", :F AS "F", :N AS "N", :I + 1 AS "I2")");
    q.setText("T", QStringLiteral("日本語 'quote' \\ back"), 0)
        .setInt("i", -42)
        .setInt64("B", 9876543210LL)
        .setDateTime("D", QDateTime(QDate(2024, 3, 15), QTime(10, 20, 30)))
        .setFloat("F", 1.25)
        .setNull("N", TParamType::Text, 10);
    q.open();
    ASSERT_FALSE(q.eof());
    EXPECT_EQ(q.field("T").asString(), QStringLiteral("日本語 'quote' \\ back"));
    EXPECT_EQ(q.field("I").asInteger(), -42);
    EXPECT_EQ(q.field("I2").asInteger(), -41);
    EXPECT_EQ(q.field("B").asInt64(), 9876543210LL);
    EXPECT_EQ(q.field("D").asDateTime(), QDateTime(QDate(2024, 3, 15), QTime(10, 20, 30), Qt::UTC));
    EXPECT_EQ(q.field("D").asString(), QStringLiteral("2024/03/15 10:20:30"));
    EXPECT_DOUBLE_EQ(q.field("F").asFloat(), 1.25);
    EXPECT_TRUE(q.field("N").isNull());
    EXPECT_EQ(q.field("N").asString(), QString());
    EXPECT_FALSE(q.field("T").isNull());
    EXPECT_EQ(q.field("t").asString(), q.field("T").asString()) << "field names are case-insensitive";
    EXPECT_EQ(q.recordCount(), 1);
}

TEST_F(QueryTest, TextIsCutToItsWidthAtACharacterBoundary)
{
    TQuery q(&conn());
    q.setSql(R"(SELECT :A AS "A", :B AS "B", :C AS "C")");
    q.setText("A", QStringLiteral("ABCDEFG"), 3)
        .setText("B", QStringLiteral("患者情報"), 2)
        .setText("C", QString::fromUcs4(U"𠮷野家"), 1);
    q.open();
    EXPECT_EQ(q.field("A").asString(), QStringLiteral("ABC"));
    EXPECT_EQ(q.field("B").asString(), QStringLiteral("患者"));
    EXPECT_EQ(q.field("C").asString(), QString::fromUcs4(U"𠮷"));
}

TEST_F(QueryTest, ParameterFaultsAreReported)
{
    TQuery q(&conn());
    q.setSql(R"(SELECT * FROM "KLOV"."M_USER" WHERE "USERID" = :USERID)");
    EXPECT_THROW(q.setText("NOSUCH", QStringLiteral("x"), 24), EParameterError);
    EXPECT_THROW(q.open(), EParameterError);
    // A value that looks like SQL stays a value.
    q.setText("USERID", QStringLiteral("x' OR '1'='1"), 24);
    q.open();
    EXPECT_TRUE(q.eof());
    EXPECT_TRUE(q.isEmpty());
    EXPECT_THROW(q.field("USERID"), EFieldError);
    EXPECT_THROW(q.field("NOSUCH"), EFieldError);
}

TEST_F(QueryTest, ExecReportsRowsAndServerErrorsCarrySqlState)
{
    TQuery q(&conn());
    q.setSql(R"(INSERT INTO "KLOV"."M_KA" ("KACD", "KANM") VALUES (:KACD, :KANM))");
    q.setInt("KACD", 1).setText("KANM", QStringLiteral("内科"), 50);
    EXPECT_EQ(q.execSql(), 1);
    try {
        q.execSql();
        FAIL() << "duplicate key accepted";
    } catch (const EConflictError& e) {
        // another workstation's row got there first
        EXPECT_EQ(e.sqlState(), QStringLiteral("23505"));
        EXPECT_EQ(e.warningText(), QStringLiteral("EConflictError\r\n") + kConflictMessage);
    }
    try {
        q.setNull("KACD", TParamType::Int32).execSql();
        FAIL() << "null key accepted";
    } catch (const EQueryError& e) {
        EXPECT_EQ(e.sqlState(), QStringLiteral("23502"));
        EXPECT_TRUE(e.warningText().startsWith(QStringLiteral("EQueryError\r\n")));
        EXPECT_EQ(errorWarningText(e), e.warningText());
    }
    q.setSql(R"(UPDATE "KLOV"."M_KA" SET "DSPKBN" = 1 WHERE "KACD" > :K)");
    q.setInt("K", 0);
    EXPECT_EQ(q.execSql(), 1);
    q.setSql(R"(SELEC nonsense)");
    EXPECT_THROW(q.execSql(), EQueryError);
}

namespace {
// A zone 14 hours ahead of UTC or 12 behind, whichever has another date than
// the workstation's now (26 hours apart, one of them always has).
QString zoneOfAnotherDay()
{
    const bool ahead = QDateTime::currentDateTimeUtc().addSecs(14 * 3600).date() != QDate::currentDate();
    return ahead ? QStringLiteral("Etc/GMT-14") : QStringLiteral("Etc/GMT+12");
}
} // namespace

// The server's clock is an instant: read with its offset whatever zone the
// session shows it in, near midnight too; a stored timestamp or date reads
// as it is stored in any local zone, a clock change of the zone included.
TEST_F(QueryTest, AnInstantKeepsItsOffsetAndAStoredTimeReadsAsStored)
{
    conn().execDirect(QStringLiteral("SET TimeZone = 'Etc/GMT-14'"));
    TQuery q(&conn());
    q.setSql(R"(SELECT NOW() AS "NOW", TIMESTAMPTZ '2026-12-11 23:30:00+00' AS "UTC",
                       TIMESTAMPTZ '2026-12-12 08:45:10.123456+09' AS "JST",
                       TIMESTAMPTZ '2026-12-11 22:00:00-05:30' AS "WEST",
                       TIMESTAMP '1948-05-02 00:00:00' AS "GAP", DATE '1951-05-06' AS "DAY")");
    q.open();
    const auto utc = [](int d, int h, int m, int s = 0, int ms = 0) {
        return QDateTime(QDate(2026, 12, d), QTime(h, m, s, ms), Qt::UTC);
    };
    EXPECT_LT(std::abs(q.field("NOW").asDateTime().secsTo(QDateTime::currentDateTimeUtc())), 60);
    EXPECT_EQ(q.field("UTC").asDateTime(), utc(11, 23, 30));
    EXPECT_EQ(q.field("JST").asDateTime(), utc(11, 23, 45, 10, 123));
    EXPECT_EQ(q.field("WEST").asDateTime(), utc(12, 3, 30));
    // shown on the workstation's clock: its own day
    const QDateTime local = utc(11, 23, 30).toLocalTime();
    EXPECT_EQ(q.field("UTC").asDate(), local.date());
    EXPECT_EQ(q.field("UTC").asString(), local.toString(QStringLiteral("yyyy/MM/dd H:mm:ss")));
    // midnight of a day that began at 1:00 in Japan's summer time of the time
    EXPECT_EQ(q.field("GAP").asString(), QStringLiteral("1948/05/02"));
    EXPECT_EQ(q.field("DAY").asString(), QStringLiteral("1951/05/06"));
    EXPECT_EQ(q.field("DAY").asDate(), QDate(1951, 5, 6));
    const QDateTime gap = q.field("GAP").asDateTime();
    q.setSql(R"(SELECT TO_CHAR(:D, 'YYYY-MM-DD HH24:MI:SS') AS "D")");
    q.setDateTime("D", gap).open();
    EXPECT_EQ(q.field("D").asString(), QStringLiteral("1948-05-02 00:00:00")) << "written back as read";
}

// Whatever zone the server or its database is set to, the session keeps the
// workstation's: NOW() stored in a timestamp column and the day the server
// counts from are the workstation's wall clock and day; a date written
// through TO_TIMESTAMP stays at midnight.
TEST_F(QueryTest, TheSessionKeepsTheWorkstationsClock)
{
    sql(QStringLiteral("ALTER DATABASE \"%1\" SET timezone = '%2'").arg(dbName(), zoneOfAnotherDay()));
    TConnection c;
    c.open(dataSource(), testenv::password());
    const QDate before = QDate::currentDate();
    TQuery q(&c);
    q.setSql(R"(SELECT CAST(NOW() AS DATE) AS "TODAY", TO_CHAR(NOW(), 'YYYY-MM-DD HH24:MI:SS') AS "WALL",
                       CAST(TO_TIMESTAMP('19480502', 'YYYYMMDD') AS timestamp) AS "GAP")");
    q.open();
    EXPECT_EQ(q.field("GAP").asString(), QStringLiteral("1948/05/02")) << "a date keeps its midnight";
    const QDate today = q.field("TODAY").asDate();
    EXPECT_TRUE(today == before || today == QDate::currentDate()) << today.toString(Qt::ISODate).toStdString();
    const QDateTime wall = QDateTime::fromString(q.field("WALL").asString(), QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    EXPECT_LT(std::abs(wall.secsTo(QDateTime::currentDateTime())), 60) << q.field("WALL").asString().toStdString();
}

namespace {
void fillList(TConnection& c)
{
    c.execScript(R"(
        CREATE TEMP TABLE L (N integer, S text, D timestamp, F numeric);
        INSERT INTO L VALUES
          (3, 'いしかわ', '2024-01-03', 1.5),
          (1, 'abc',     '2023-12-31', NULL),
          (2, 'ABD',     NULL,         -2),
          (10, 'うえだ',  '2024-01-01', 10),
          (2, 'abx',     '2022-05-05', 0);)");
}

QList<int> column(TQuery& q, const char* name)
{
    QList<int> out;
    for (q.first(); !q.eof(); q.next())
        out << q.field(QString::fromLatin1(name)).asInteger();
    return out;
}
} // namespace

TEST_F(QueryTest, ClientSortIsStableTypeAwareAndKeepsTheCurrentRecord)
{
    fillList(conn());
    TQuery q(&conn());
    q.setSql(R"(SELECT * FROM L)");
    q.open();
    EXPECT_EQ(q.recordCount(), 5);
    q.setSort(QStringLiteral("n"));
    EXPECT_EQ(column(q, "N"), (QList<int>{1, 2, 2, 3, 10})) << "numeric, not text order";
    q.setSort(QStringLiteral("N DESC"));
    EXPECT_EQ(column(q, "N"), (QList<int>{10, 3, 2, 2, 1}));
    // stable: equal keys keep the fetched order (ABD before abx)
    EXPECT_EQ(q.fieldAt(2, "S").asString(), QStringLiteral("ABD"));
    q.setSort(QStringLiteral("D"));
    EXPECT_EQ(column(q, "N"), (QList<int>{2, 2, 1, 10, 3})) << "null first, then date order";
    q.setSort(QStringLiteral("D DESC"));
    EXPECT_EQ(column(q, "N"), (QList<int>{3, 10, 1, 2, 2})) << "null last when descending";
    EXPECT_EQ(q.fieldAt(4, "S").asString(), QStringLiteral("ABD"));
    q.setSort(QStringLiteral("F DESC"));
    EXPECT_EQ(column(q, "N"), (QList<int>{10, 3, 2, 2, 1})) << "null last when descending";
    q.setSort(QStringLiteral("S"));
    EXPECT_EQ(q.fieldAt(0, "S").asString(), QStringLiteral("ABD"));
    EXPECT_EQ(q.fieldAt(4, "S").asString(), QStringLiteral("うえだ"));
    // the cursor stays on its record through a sort
    q.setRecNo(1);
    const QString before = q.field("S").asString();
    q.setSort(QStringLiteral("N DESC, S"));
    EXPECT_EQ(q.field("S").asString(), before);
    EXPECT_THROW(q.setSort(QStringLiteral("NOSUCH")), EFieldError);
    // a new run keeps the sort
    q.setSort(QStringLiteral("N"));
    q.requery();
    EXPECT_EQ(column(q, "N"), (QList<int>{1, 2, 2, 3, 10}));

    // Texts that agree in their first bytes, and one that ends there.
    q.setSql(R"(SELECT * FROM (VALUES (1, 'やまだ　二郎'), (2, 'やまだ　一郎X'), (3, 'やまだ'), (4, 'やまだ　一郎'), (5, 'やま'),
        (6, 'ABCDEFGHIJKLMNOP'), (7, 'ABCDEFGHIJKLMNOPA'), (8, 'ABCDEFGH'), (9, 'ABCDEFGHA'), (10, 'やま'), (11, '')) v(n, s))");
    q.setSort(QStringLiteral("S"));
    q.open();
    EXPECT_EQ(column(q, "N"), (QList<int>{11, 8, 9, 6, 7, 5, 10, 3, 4, 2, 1}));
    q.setSort(QStringLiteral("S DESC"));
    EXPECT_EQ(column(q, "N"), (QList<int>{1, 2, 4, 3, 5, 10, 7, 6, 9, 8, 11}));
}

TEST_F(QueryTest, FilterAndLocate)
{
    fillList(conn());
    TQuery q(&conn());
    q.setSql(R"(SELECT * FROM L)");
    q.open();
    q.setFilter([](const TRecord& r) { return r.field("N").asInteger() >= 2; });
    EXPECT_EQ(q.recordCount(), 4);
    EXPECT_FALSE(q.locate("S", QStringLiteral("abc")));   // filtered out
    EXPECT_TRUE(q.locate("S", QStringLiteral("abd")));    // case-insensitive by default
    EXPECT_EQ(q.field("N").asInteger(), 2);
    EXPECT_FALSE(q.locate("S", QStringLiteral("ab"))) << "whole key unless partial";
    EXPECT_TRUE(q.locate("S", QStringLiteral("ab"), {true, true}));
    EXPECT_FALSE(q.locate("S", QStringLiteral("abd"), {false, false}));
    EXPECT_TRUE(q.locate("N", 10));
    EXPECT_EQ(q.field("S").asString(), QStringLiteral("うえだ"));
    EXPECT_TRUE(q.locate("N", QStringLiteral("3")));
    q.clearFilter();
    EXPECT_EQ(q.recordCount(), 5);
    q.setFilter([](const TRecord&) { return false; });
    EXPECT_TRUE(q.eof());
    EXPECT_EQ(q.recNo(), -1);
}

TEST_F(QueryTest, CursorWalksLikeADataset)
{
    fillList(conn());
    TQuery q(&conn());
    q.setSql(R"(SELECT * FROM L ORDER BY n, s)");
    q.open();
    int seen = 0;
    while (!q.eof()) {
        ++seen;
        q.next();
    }
    EXPECT_EQ(seen, 5);
    EXPECT_EQ(q.field("N").asInteger(), 10) << "past the end the last record stays current";
    q.last();
    q.prior();
    EXPECT_EQ(q.field("N").asInteger(), 3);
    q.first();
    EXPECT_TRUE(q.bof());
    q.prior();
    EXPECT_EQ(q.recNo(), 0);
}

TEST_F(QueryTest, ConnectFailures)
{
    TConnection c;
    try {
        c.open(dataSource(), QStringLiteral("wrong-password"));
        FAIL() << "wrong password accepted";
    } catch (const EConnectionError& e) {
        EXPECT_TRUE(e.message().contains(QStringLiteral("password"))) << e.message().toStdString();
        EXPECT_TRUE(e.warningText().startsWith(QStringLiteral("EConnectionError\r\n")));
    }
    EXPECT_FALSE(c.connected());
    EXPECT_THROW(c.open(QStringLiteral("no_such_service_klov"), testenv::password()), EConnectionError);
    EXPECT_THROW(c.open(testenv::conninfo(QStringLiteral("no_such_db")), testenv::password()),
                 EConnectionError);
    c.open(dataSource(), testenv::password());
    EXPECT_TRUE(c.connected());
    // a URI is a data source too
    c.open(QStringLiteral("postgresql://%1:%2/%3").arg(testenv::host(), testenv::port(), dbName()),
           testenv::password());
    EXPECT_TRUE(c.connected());
}
