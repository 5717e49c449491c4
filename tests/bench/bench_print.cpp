// Benchmark: recording printed pages. A 30-page printed summary of ordinary
// Japanese narrative (time and the size of its largest page), and single
// paragraphs of 3,000 and 12,000 characters flowed over pages, whose times
// should grow with the length and not faster. Run against the test server:
// scripts/bench.sh, or set the KLOV_TEST_* variables and run build/tests/bench_print.

#include "PrintData.h"

#include "app/Theme.h"
#include "controls/PlPrev.h"
#include "main/PrtTaiyouU.h"

#include <QApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <functional>

namespace {

// One paragraph flowed over as many pages as it takes, as a section does.
void recordParagraph(const QString& text)
{
    TplPrev prev;
    prev.BeginDoc();
    prev.FontSize(10);
    QStringList lines{text};
    for (;;) {
        prev.StringListOut(lines, {}, 180, 1925, 185, 2805, 32, 0);
        if (lines.isEmpty())
            break;
        prev.NewPage();
    }
    prev.EndDoc();
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    theme::registerFontSubstitutes();
    bench::TBench b;
    b.SetUp();
    b.loginAs(QStringLiteral("dr1"));
    bench::addPrintedSummary(b, 1, bench::japaneseCourse(360), bench::japaneseCourse(540));

    TplPrev prev;
    QString error;
    const double summaryMs = bench::bestOf(3, [&] { DrawTaiyou(prev, nullptr, 1, 1, true, false, &error); });
    if (!error.isEmpty())
        std::printf("message: %s\n", qPrintable(error));
    qint64 largest = 0;
    for (int n = 1; n <= prev.RecordedPages(); ++n)
        largest = std::max<qint64>(largest, prev.Page(n).size());
    std::printf("summary pages: %d\n", prev.RecordedPages());

    const QString p3 = bench::japaneseParagraph(3000);
    const QString p12 = bench::japaneseParagraph(12000);
    recordParagraph(p3);  // fonts and glyph caches warm
    const double ms3 = bench::bestOf(3, [&] { recordParagraph(p3); });
    const double ms12 = bench::bestOf(3, [&] { recordParagraph(p12); });
    std::printf("paragraph 12000/3000: %.2fx\n", ms12 / ms3);

    bench::report("print_summary_30pages_ms", summaryMs, "ms", 300);
    bench::report("print_largest_page_kb", largest / 1024.0, "KB", 100);
    bench::report("print_paragraph_3000_ms", ms3, "ms", ms3);
    bench::report("print_paragraph_12000_ms", ms12, "ms", 4.5 * ms3);
    b.TearDown();
    return 0;
}
