// The transaction runner, the number allocation and the reconnect, each with
// a second real connection playing the other workstation.

#include "PrivateServer.h"
#include "common/TestDb.h"
#include "db/Errors.h"
#include "db/KanjaRecord.h"
#include "db/Numbers.h"
#include "db/Transaction.h"

#include <QThread>
#include <barrier>
#include <functional>
#include <set>
#include <thread>

class TransactionTest : public DbTest {
protected:
    QString count(const QString& where = QStringLiteral("TRUE"))
    {
        return scalar(QStringLiteral(R"(SELECT COUNT(*) FROM "KLOV"."M_KA" WHERE %1)").arg(where));
    }
    void addKa(TConnection& c, int kacd)
    {
        TQuery q(&c);
        q.setSql(R"(INSERT INTO "KLOV"."M_KA" ("KACD") VALUES (:K))");
        q.setInt("K", kacd).execSql();
    }
};

TEST_F(TransactionTest, OwnTransactionsCommitRollBackAndRefuseWhenBusy)
{
    runTransaction(conn(), [&] { addKa(conn(), 1); });
    EXPECT_FALSE(conn().inTransaction());
    EXPECT_THROW(runTransaction(conn(), [&] {
        addKa(conn(), 2);
        addKa(conn(), 1);   // duplicate key
    }), EQueryError);
    EXPECT_FALSE(conn().inTransaction());
    EXPECT_EQ(count(), QStringLiteral("1"));

    // another owner's transaction is open: refused, the owner's work untouched
    conn().beginTrans();
    addKa(conn(), 3);
    bool ran = false;
    EXPECT_THROW(runTransaction(conn(), [&] { ran = true; }), EBusyError);
    EXPECT_FALSE(ran);
    EXPECT_TRUE(conn().inTransaction());
    conn().commitTrans();
    EXPECT_EQ(count(), QStringLiteral("2"));
    EXPECT_EQ(EBusyError().message(), QStringLiteral("データ使用中のため登録できません。"));

    // begin, commit and rollback out of turn are errors, not silent successes
    EXPECT_THROW(conn().commitTrans(), ETransactionError);
    EXPECT_THROW(conn().rollbackTrans(), ETransactionError);
    conn().beginTrans();
    EXPECT_THROW(conn().beginTrans(), ETransactionError);
    conn().rollbackTrans();
    EXPECT_THROW(lockScope(conn(), QStringLiteral("x")), ETransactionError);
    EXPECT_THROW(numbers::nextKno(conn()), ETransactionError);
}

TEST_F(TransactionTest, JoinedWorkNeverRollsBackItsOwner)
{
    conn().beginTrans();
    addKa(conn(), 1);
    EXPECT_THROW(runTransaction(conn(), [&] {
        addKa(conn(), 2);
        addKa(conn(), 1);
    }, TTxMode::Join), EQueryError);
    // the owner's row is still there and its transaction usable
    ASSERT_TRUE(conn().inTransaction());
    runTransaction(conn(), [&] { addKa(conn(), 4); }, TTxMode::Join);
    EXPECT_TRUE(conn().inTransaction()) << "the joiner does not commit for its owner";
    conn().commitTrans();
    EXPECT_EQ(scalar(R"(SELECT STRING_AGG("KACD"::text, ',' ORDER BY "KACD") FROM "KLOV"."M_KA")"), QStringLiteral("1,4"));
    // with nothing open, a joining writer begins and commits its own
    runTransaction(conn(), [&] { addKa(conn(), 5); }, TTxMode::Join);
    EXPECT_FALSE(conn().inTransaction());
    EXPECT_EQ(count(), QStringLiteral("3"));
}

TEST_F(TransactionTest, WritesOnChangedRowsAreConflicts)
{
    sql(R"(INSERT INTO "KLOV"."D_KANBYO" ("ID","BNO","RNO","DELKBN") VALUES (7,1,1,0))");
    TConnection other;
    other.open(dataSource(), testenv::password());
    auto retire = [](TConnection& c) {
        runTransaction(c, [&] {
            TQuery q(&c);
            q.setSql(R"(UPDATE "KLOV"."D_KANBYO" SET "DELKBN" = 1 WHERE "ID" = 7 AND "BNO" = 1 AND "RNO" = 1 AND "DELKBN" = 0)");
            q.execSqlExpect(1);
            TQuery ins(&c);
            ins.setSql(R"(INSERT INTO "KLOV"."D_KANBYO" ("ID","BNO","RNO","DELKBN") VALUES (7, 1, :RNO, 0))");
            ins.setInt("RNO", numbers::nextKanbyoRno(c, 7, 1)).execSql();
        });
    };
    retire(other);
    try {
        retire(conn());
        FAIL() << "the second retire of the same row went through";
    } catch (const EConflictError& e) {
        EXPECT_EQ(e.warningText(), QStringLiteral("EConflictError\r\n") + kConflictMessage);
    }
    EXPECT_EQ(scalar(R"(SELECT STRING_AGG("RNO" || ':' || "DELKBN", ' ' ORDER BY "RNO") FROM "KLOV"."D_KANBYO")"),
              QStringLiteral("1:1 2:0"));
    // a second live row refused by the database is the same conflict
    EXPECT_THROW(sql(R"(INSERT INTO "KLOV"."D_KANBYO" ("ID","BNO","RNO","DELKBN") VALUES (7,1,9,0))"), EConflictError);
}

TEST_F(TransactionTest, NumbersAtTheSameMomentAreDistinctAndAFailedSaveUsesNone)
{
    constexpr int kWorkers = 4;
    constexpr int kEach = 25;
    std::barrier start(kWorkers);
    std::vector<std::vector<int>> got(kWorkers);
    std::vector<std::string> errors(kWorkers);
    std::vector<std::thread> threads;
    for (int w = 0; w < kWorkers; ++w) {
        threads.emplace_back([&, w] {
            try {
                TConnection c;
                c.open(dataSource(), testenv::password());
                start.arrive_and_wait();
                for (int i = 0; i < kEach; ++i) {
                    runTransaction(c, [&] {
                        const int kno = numbers::nextKno(c);
                        TQuery q(&c);
                        q.setSql(R"(INSERT INTO "KLOV"."D_TAIYOU" ("KNO","VERNO","ACTKBN") VALUES (:KNO, 1, 1))");
                        q.setInt("KNO", kno).execSql();
                        got[w].push_back(kno);
                    });
                }
            } catch (const std::exception& e) {
                errors[w] = e.what();
            }
        });
    }
    for (auto& t : threads)
        t.join();
    std::set<int> all;
    for (int w = 0; w < kWorkers; ++w) {
        EXPECT_EQ(errors[w], "");
        all.insert(got[w].begin(), got[w].end());
    }
    EXPECT_EQ(int(all.size()), kWorkers * kEach);
    EXPECT_EQ(*all.begin(), 1);
    EXPECT_EQ(*all.rbegin(), kWorkers * kEach) << "every number used once";

    EXPECT_THROW(runTransaction(conn(), [&] {
        EXPECT_EQ(numbers::nextKno(conn()), kWorkers * kEach + 1);
        throw EKlovError(QStringLiteral("the save fails"));
    }), EKlovError);
    runTransaction(conn(), [&] { EXPECT_EQ(numbers::nextKno(conn()), kWorkers * kEach + 1); });
}

TEST_F(TransactionTest, AnImportsOneLockHoldsOffOtherPatientWritesButNoReader)
{
    TConnection other;
    other.open(dataSource(), testenv::password());
    other.execDirect(QStringLiteral("SET lock_timeout = '200ms'"));
    TrecKanja row;
    row.name = QStringLiteral("取込");
    runTransaction(conn(), [&] {
        const numbers::TKanjaRnoLock rnos(conn());
        insertKanjaRevisions(rnos, conn(), {{5, &row}, {6, &row}}, QStringLiteral("imp"));
        // The other workstation's number for the same patient waits for the
        // import (here its lock wait runs out) instead of reading beside it;
        // so does a second import, and any other write of the table.
        EXPECT_THROW(runTransaction(other, [&] { numbers::nextKanjaRno(other, 5); }), EQueryError);
        EXPECT_THROW(runTransaction(other, [&] { numbers::TKanjaRnoLock again(other); }), EQueryError);
        EXPECT_THROW(other.execDirect(QStringLiteral(R"(UPDATE "KLOV"."M_KANJA" SET "ACTKBN" = 1 WHERE FALSE)")), EQueryError);
        TQuery read(&other);
        read.setSql(R"(SELECT COUNT(*) AS N FROM "KLOV"."M_KANJA")");
        read.open();
        EXPECT_EQ(read.field("N").asInteger(), 0);
    });
    runTransaction(other, [&] { EXPECT_EQ(numbers::nextKanjaRno(other, 5), 2); });
    EXPECT_EQ(scalar(R"(SELECT STRING_AGG("ID" || ':' || "RNO" || ':' || "KNJNAME", ' ' ORDER BY "ID") FROM "KLOV"."M_KANJA")"),
              QStringLiteral("5:1:取込 6:1:取込"));
}

TEST_F(TransactionTest, ADroppedConnectionReconnectsOutsideATransactionOnly)
{
    TConnection other;
    other.open(dataSource(), testenv::password());
    auto drop = [&] {
        const QString pid = scalar(QStringLiteral("SELECT pg_backend_pid()"));
        TQuery q(&other);
        q.setSql(QStringLiteral("SELECT pg_terminate_backend(CAST(:PID AS integer))"));
        q.setText("PID", pid, 0).open();
        // the backend is gone once the server no longer lists it
        for (int i = 0; i < 100; ++i) {
            q.setSql(QStringLiteral("SELECT COUNT(*) FROM pg_stat_activity WHERE pid = CAST(:PID AS integer)"));
            q.setText("PID", pid, 0).open();
            if (q.field("count").asInteger() == 0)
                return;
            QThread::msleep(20);
        }
    };
    drop();
    EXPECT_EQ(scalar(QStringLiteral("SELECT 1")), QStringLiteral("1"));
    EXPECT_EQ(conn().reconnectCount(), 1);

    // inside a transaction the transaction is lost with the connection
    EXPECT_THROW(runTransaction(conn(), [&] {
        addKa(conn(), 1);
        drop();
        addKa(conn(), 2);
    }), EConnectionError);
    EXPECT_FALSE(conn().inTransaction());
    EXPECT_EQ(count(), QStringLiteral("0"));
    runTransaction(conn(), [&] { addKa(conn(), 3); });
    EXPECT_EQ(count(), QStringLiteral("1"));
}

// A server of its own, restarted with pg_ctl between two reads.
TEST(ReconnectTest, AListReadAgainAfterTheServerRestarted)
{
    if (!TPrivateServer::available())
        GTEST_SKIP() << "PostgreSQL server programs are not installed";
    TPrivateServer server;
    TConnection c;
    c.open(server.conninfo(QStringLiteral("postgres")), server.password());
    TQuery list(&c);
    list.setSql(QStringLiteral("SELECT n FROM generate_series(1, 3) AS n"));
    list.open();
    EXPECT_EQ(list.recordCount(), 3);
    server.restart();
    list.requery();
    EXPECT_EQ(list.recordCount(), 3);
    EXPECT_EQ(c.reconnectCount(), 1);
}
