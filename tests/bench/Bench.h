#pragma once
// What every benchmark shares: the test fixture opened outside gtest (a
// fresh database, the data module, a logged-out program state) and the one
// line each figure is printed as, so that scripts/bench.sh can collect them.

#include "common/TestApp.h"

#include <cstdio>

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
inline void report(const char* name, double value, const char* unit, double target)
{
    std::printf("BENCH %-26s %10.1f %-3s target %8.1f %s\n", name, value, unit, target, value <= target ? "OK" : "MISS");
    std::fflush(stdout);
}

} // namespace bench
