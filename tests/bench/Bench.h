#pragma once
// What every benchmark shares: the test fixture opened outside gtest (a
// fresh database, the data module, a logged-out program state) and the one
// line each figure is printed as, so that scripts/bench.sh can collect them.

#include "common/TestApp.h"

#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <functional>

namespace bench {

class TBench : public AppTest {
public:
    void TestBody() override {}
    using AppTest::SetUp;
    using AppTest::TearDown;
    using AppTest::boxes;
    using AppTest::conn;
    using AppTest::dbName;
    using AppTest::loginAs;
    using AppTest::scalar;
    using AppTest::sql;
};

// "BENCH <name> <value> <unit> target <target> OK|MISS"
// The best of `runs` timings of `work`, in milliseconds.
inline double bestOf(int runs, const std::function<void()>& work)
{
    double best = 1e18;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        work();
        best = std::min(best, t.nsecsElapsed() / 1e6);
    }
    return best;
}

inline void report(const char* name, double value, const char* unit, double target)
{
    std::printf("BENCH %-26s %10.1f %-3s target %8.1f %s\n", name, value, unit, target, value <= target ? "OK" : "MISS");
    std::fflush(stdout);
}

} // namespace bench
