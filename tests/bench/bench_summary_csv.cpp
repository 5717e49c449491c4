// Benchmark: the summary CSV of 10,000 versions, each with six diagnoses and
// three operations. Run against the test server: scripts/test.sh starts one;
// or set the KLOV_TEST_* variables and run build/tests/bench_summary_csv [versions].

#include "Bench.h"

#include "export/FrmOutCsvU.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cstdio>

using Bench = bench::TBench;

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    Bench b;
    b.SetUp();
    const int versions = argc > 1 ? std::atoi(argv[1]) : 10000;
    b.sql(QStringLiteral(R"(INSERT INTO "KLOV"."M_KANJA" ("ID","RNO","ACTKBN","KNJKANA","KNJNAME")
        SELECT 1000000000 + g, 1, 1, 'カナ' || g, '氏名' || g FROM generate_series(1, 2000) g;
      INSERT INTO "KLOV"."D_KANBYO" ("ID","BNO","RNO","ADDDTE","BYONM","HJIKI","TENKI","BIKO")
        SELECT 1000000000 + p, b, 1, DATE '2020-01-01', '病名' || b, '20200100', b % 5, '備考,' || b
          FROM generate_series(1, 2000) p, generate_series(1, 6) b;
      INSERT INTO "KLOV"."D_KANOPE" ("ID","ONO","RNO","OPEDTE","OPENM","COMM")
        SELECT 1000000000 + p, o, 1, DATE '2020-01-01' + o, '術名' || o, 'コメント"' || o
          FROM generate_series(1, 2000) p, generate_series(1, 3) o;
      INSERT INTO "KLOV"."D_TAIYOU" ("KNO","VERNO","ACTKBN","ID","NDTE","TDTE","KACD","NSYU","NYURIYU","NYUKEIKA","WFLG","WDTM")
        SELECT g, 1, 1, 1000000000 + (g % 2000) + 1, DATE '2020-01-01', DATE '2020-01-10', 1, g % 2,
               '主訴 ' || md5(g::text), repeat('経過、' || chr(10), 50), 1, TIMESTAMP '2020-01-12 10:00'
          FROM generate_series(1, %1) g;
      INSERT INTO "KLOV"."D_TAIBYO" ("KNO","VERNO","BNO","SNO","SNO1","SNO2")
        SELECT g, 1, b, b, '', '' FROM generate_series(1, %1) g, generate_series(1, 6) b;
      INSERT INTO "KLOV"."D_TAIOPE" ("KNO","VERNO","ONO","RNO")
        SELECT g, 1, o, 1 FROM generate_series(1, %1) g, generate_series(1, 3) o;
      ANALYZE;)")
              .arg(versions));
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bench.csv"));
    TFrmOutCsv f;
    f.show();
    QApplication::processEvents();
    f.FAskSaveFile = [&](QWidget*, const QString&, const QString&) { return path; };
    QElapsedTimer t;
    t.start();
    f.bbtnCSVClick();
    const qint64 ms = t.elapsed();
    for (const QString& m : b.boxes.texts())
        std::printf("message: %s\n", qPrintable(m));
    std::printf("versions: %d\nexport (select, load, write): %lld ms\nfile: %lld bytes\n", int(f.entries().size()),
                ms, QFileInfo(path).size());
    bench::report("summary_csv_10000_ms", double(ms), "ms", 2000);
    b.TearDown();
    return 0;
}
