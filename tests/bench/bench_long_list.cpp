// Benchmark: a list of 100,000 summaries loaded as a long operation, as the
// main window loads it: how long it takes, and the longest time the window
// could not handle an event meanwhile (a 10 ms timer measures the gaps),
// against the same list fetched without one.
// Run against the test server (scripts/bench.sh).

#include "app/LongOperation.h"
#include "Bench.h"
#include "controls/DBGrid.h"
#include "db/Records.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <cstdio>

using Bench = bench::TBench;
using bench::report;

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
                     TGridColumn::rest("主訴・入院理由", "NYURIYU", 100)});
    grid.show();

    // The gaps between the ticks of a 10 ms timer while the list loads.
    QElapsedTimer sinceTick;
    qint64 longest = 0;
    QTimer ticker;
    ticker.setInterval(10);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        longest = std::max(longest, sinceTick.restart());
    });
    auto load = [&](bool asOperation, bool* shown) {
        q.close();
        QApplication::processEvents();
        longest = 0;
        sinceTick.start();
        ticker.start();
        QElapsedTimer t;
        t.start();
        if (asOperation) {
            TLongOperation op(&grid, QStringLiteral("一覧を読み込んでいます。"), 0, &b.conn());
            q.open();
            *shown = op.dialogShown();
        } else {
            q.open();
        }
        QApplication::processEvents();
        longest = std::max(longest, sinceTick.elapsed());
        ticker.stop();
        return t.elapsed();
    };
    bool shown = false;
    const qint64 plain = load(false, nullptr);
    const qint64 plainFreeze = longest;
    const qint64 total = load(true, &shown);
    std::printf("rows: %d, progress window shown: %s\n", q.recordCount(), shown ? "yes" : "no");
    std::printf("without a long operation: %lld ms, longest freeze %lld ms\n", qint64(plain), qint64(plainFreeze));
    report("long-list-100k-load", double(total), "ms", 3000);
    report("long-list-100k-longest-freeze", double(longest), "ms", 500);
    b.TearDown();
    return 0;
}
