// The SQLite store's prepared statements: every use has one of its own.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include "settings/SqliteStatements.h"

namespace vantrel {
namespace {

class StatementCacheTest : public ::testing::Test {
protected:
    SqliteConnection db = [] {
        sqlite3* opened = nullptr;
        sqlite3_open(":memory:", &opened);
        return SqliteConnection(opened);
    }();
    StatementCache cache{db.get()};

    StatementCacheTest() {
        sqlite3_exec(db.get(), "CREATE TABLE t (n); INSERT INTO t VALUES (1), (2), (3)", nullptr,
                     nullptr, nullptr);
    }
    int preparedOnConnection() {
        int count = 0;
        for (sqlite3_stmt* s = sqlite3_next_stmt(db.get(), nullptr); s;
             s = sqlite3_next_stmt(db.get(), s))
            ++count;
        return count;
    }
};

TEST_F(StatementCacheTest, NestedUsesOfOneSqlStepThroughTheirOwnRowsAndStatementsAreReused) {
    const char* sql = "SELECT n FROM t WHERE n >= ?1 ORDER BY n";
    std::vector<long long> outer, inner;
    SqliteStatement first = cache.prepare(sql);
    first.bind(1, 1);
    while (first.step()) {
        outer.push_back(first.integer(0));
        SqliteStatement second = cache.prepare(sql);
        second.bind(1, first.integer(0));
        while (second.step()) inner.push_back(second.integer(0));
    }
    EXPECT_EQ(outer, (std::vector<long long>{1, 2, 3}));
    EXPECT_EQ(inner, (std::vector<long long>{1, 2, 3, 2, 3, 3}));
    for (int i = 0; i < 10; ++i) cache.prepare(sql).bind(1, i).step();
    EXPECT_EQ(preparedOnConnection(), 2);
}

// A text that is gone is read by nothing (AddressSanitizer tells).
TEST_F(StatementCacheTest, TheSqlIsKeptByValueSoTheCallersTextMayGo) {
    for (const std::string word : {"first", "other", "first"}) {
        auto sql =
            std::make_unique<std::string>("SELECT '" + word + "' AS a_column_name_off_the_stack");
        SqliteStatement statement = cache.prepare(*sql);
        sql.reset();
        ASSERT_TRUE(statement.step());
        EXPECT_EQ(statement.text(0), word);
    }
}

}  // namespace
}  // namespace vantrel
