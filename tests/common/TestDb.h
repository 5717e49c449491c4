#pragma once
// A fresh database per test, cloned from the template that holds the schema.
// The server is the one the test command starts; its address comes from
// KLOV_TEST_PGHOST, KLOV_TEST_PGPORT, KLOV_TEST_PGPASSWORD, KLOV_TEST_TEMPLATE.

#include "db/Connection.h"
#include "db/Query.h"

#include <gtest/gtest.h>

#include <QString>
#include <ostream>

// Readable QStrings in failure messages.
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace testenv {
QString host();
QString port();
QString password();
QString sourceDir();
// conninfo of a database of the test server
QString conninfo(const QString& dbName);
// contents of a file of the source tree, e.g. "db/qarn.sql"
QString sourceFile(const QString& relativePath);
} // namespace testenv

class DbTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // The data source that reaches this test's database.
    QString dataSource() const { return testenv::conninfo(FDbName); }
    const QString& dbName() const { return FDbName; }
    TConnection& conn() { return FConn; }
    // Loads the sibling system's tables into this test's database.
    void loadQarn();
    // A statement run directly, for setting up rows.
    void sql(const QString& text) { FConn.execScript(text); }
    // First column of the first row of a query, as text ("" when no row).
    QString scalar(const QString& select);

private:
    QString FDbName;
    TConnection FConn;
};
