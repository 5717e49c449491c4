// Benchmark: a list of 100,000 summaries fetched, shown and sorted.
// Run against the test server: scripts/test.sh starts one; or set the
// KLOV_TEST_* variables and run build/tests/bench_grid.

#include "common/TestDb.h"
#include "controls/DBGrid.h"
#include "db/Records.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QScrollBar>
#include <cstdio>

namespace {
class Bench : public DbTest {
public:
    void TestBody() override {}
    using DbTest::SetUp;
    using DbTest::TearDown;
    using DbTest::conn;
    using DbTest::sql;
};
} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    Bench b;
    b.SetUp();
    const int rows = argc > 1 ? std::atoi(argv[1]) : 100000;
    b.sql(QStringLiteral(R"(INSERT INTO "KLOV"."D_TAIYOU" ("KNO","VERNO","ACTKBN","ID","NDTE","TDTE","KACD","NSYU","NYURIYU","SYUDR","WFLG")
        SELECT g, 1, 1, 1000000000 + g % 5000, DATE '2020-01-01' + (g % 1500), DATE '2020-01-10' + (g % 1500), g % 8, g % 2,
               '主訴・入院理由 ' || md5(g::text), 'dr' || (g % 20), g % 2 FROM generate_series(1, %1) g)").arg(rows));
    TQuery q(&b.conn());
    q.setSql(QStringLiteral(R"(SELECT DISTINCT D.*, %1 AS "SKEY", %2 AS "NSYUNM", %3 AS "WMK", %4 AS "TDTEN"
                               FROM "KLOV"."D_TAIYOU" D ORDER BY "KNO" DESC, "VERNO" DESC)")
                 .arg(rec::skeySummary("D"), rec::sqlNsyuNm("D"), rec::sqlSumiMk("WFLG", "D"), rec::sqlDateN("TDTE", "D")));
    TDBGrid grid;
    grid.resize(1400, 800);
    grid.setQuery(&q);
    grid.setColumns({TGridColumn::fixed("№", "KNO", 50, Qt::AlignRight), TGridColumn::fixed("入院日", "NDTE", 100),
                     TGridColumn::rest("主訴・入院理由", "NYURIYU", 100), TGridColumn::fixed("記載", "WMK", 32)});
    grid.show();
    QElapsedTimer t;
    auto lap = [&](const char* what) {
        QApplication::processEvents();
        std::printf("%-28s %6lld ms\n", what, t.restart());
    };
    t.start();
    q.open();
    lap("open + fetch + show");
    grid.titleClick(2);
    lap("sort by text");
    grid.titleClick(2);
    lap("sort by text, reversed");
    grid.titleClick(1);
    lap("sort by date");
    grid.titleClick(0);
    lap("sort by number");
    grid.locate("SKEY", QStringLiteral("0000001001"));
    lap("locate by key");
    q.requery();
    lap("requery keeping the sort");
    for (int i = 0; i < 50; ++i) {
        grid.verticalScrollBar()->setValue(i * rows / 50);
        QApplication::processEvents();
    }
    lap("50 scroll steps");
    std::printf("rows: %d\n", q.recordCount());
    b.TearDown();
    return 0;
}
