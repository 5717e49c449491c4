// Benchmark: a hospital's first import of its patient master, 100,000
// patients with every field filled from one windows-31j file, through the
// import form (read, check, store in one transaction). Run by
// scripts/bench.sh; or set the KLOV_TEST_* variables and run
// build/tests/bench_import_kanja [patients].

#include "Bench.h"

#include "app/SjisText.h"
#include "patient/FrmImpKanjaU.h"

#include <QApplication>
#include <QComboBox>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>

using Bench = bench::TBench;

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    Bench b;
    b.SetUp();
    b.loginAs(QStringLiteral("admin"));
    const int patients = argc > 1 ? std::atoi(argv[1]) : 100000;

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("kanja.csv"));
    {
        QByteArray bytes = sjis::encode(QStringLiteral("番号,かな,氏名,性別,生年月日,郵便,住所1,住所2,TEL,携帯,FAX,MAIL,備考"))
                           + "\r\n";
        for (int i = 1; i <= patients; ++i) {
            const QString n = QString::number(i);
            bytes += sjis::encode(QStringLiteral("%1,ヤマダ　タロウ%1,\"山田　太郎%1\",%2,%3/%4/%5,100-%6,東京都千代田区丸の内%7丁目,"
                                                 "第%1ビル,03-1234-%6,090-1234-%6,03-9876-%6,p%1@example.jp,備考%1")
                                      .arg(n)
                                      .arg(i % 2)
                                      .arg(1930 + i % 90)
                                      .arg(1 + i % 12)
                                      .arg(1 + i % 28)
                                      .arg(i % 10000, 4, 10, QLatin1Char('0'))
                                      .arg(1 + i % 9))
                     + "\r\n";
        }
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size()) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            return 1;
        }
    }

    TFrmImpKanja form;
    form.FAskOpenFile = [&](QWidget*, const QString&, const QString&) { return path; };
    form.show();
    QApplication::processEvents();
    form.SpeedButton1Click();
    for (int i = 0; i < kanjacsv::kFieldCount; ++i)
        form.cmbFld[i]->setCurrentIndex(i + 1);
    form.cbHead->setChecked(true);
    form.cbUpd->setChecked(false);

    QElapsedTimer t;
    t.start();
    form.bbtnUpdateClick();
    const double seconds = t.elapsed() / 1000.0;
    for (const QString& m : b.boxes.texts())
        std::printf("message: %s\n", qPrintable(m));
    std::printf("patients in the file: %d\nstored: %s\nimport (read, check, store): %.1f s\n", patients,
                qPrintable(b.scalar(R"(SELECT count(*) FROM "KLOV"."M_KANJA" WHERE "ACTKBN" = 1)")), seconds);
    bench::report("import_kanja_100000_s", seconds, "s", 120);
    b.TearDown();
    return 0;
}
