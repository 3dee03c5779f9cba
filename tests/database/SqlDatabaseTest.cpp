#include "database/SqlDatabase.h"
#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

TEST(SqlDatabase, BindsValuesAndReadsRows)
{
    ScopedDataFolder data;
    auto db = SqlDatabase::databaseWithPath(data.path() / "t.db");
    ASSERT_TRUE(db->open());
    ASSERT_TRUE(db->executeUpdate("create table t (a text, b integer, c real)"));
    ASSERT_TRUE(db->executeUpdate("insert into t values (?, ?, ?)", {std::string("一"), std::int64_t {7}, 2.5}));
    ASSERT_TRUE(db->executeUpdate("insert into t values (?, ?, ?)", {nullptr, std::int64_t {8}, nullptr}));
    auto rows = db->executeQuery("select * from t where b >= ? order by b", {std::int64_t {7}});
    ASSERT_TRUE(rows);
    EXPECT_FALSE(rows->stringForColumn("a")); // before the first row
    ASSERT_TRUE(rows->next());
    EXPECT_EQ(rows->stringForColumn("a"), "一");
    EXPECT_EQ(rows->stringForColumn("b"), "7");
    EXPECT_EQ(rows->stringForColumn("c"), "2.5");
    EXPECT_FALSE(rows->stringForColumn("nope"));
    ASSERT_TRUE(rows->next());
    EXPECT_FALSE(rows->stringForColumn("a"));
    EXPECT_FALSE(rows->next());
    EXPECT_FALSE(rows->next());
}

TEST(SqlDatabase, FailuresGiveNothing)
{
    ScopedDataFolder data;
    LogCapture log;
    auto closed = SqlDatabase::databaseWithPath(data.path() / "c.db");
    EXPECT_FALSE(closed->executeQuery("select 1"));
    auto db = SqlDatabase::databaseWithPath(data.path() / "t.db");
    ASSERT_TRUE(db->open());
    EXPECT_FALSE(db->executeQuery("select * from missing"));
    EXPECT_FALSE(db->executeQuery("select ?", {})); // too few values
    EXPECT_FALSE(db->executeQuery("select 1", {std::int64_t {1}})); // too many
    EXPECT_TRUE(log.contains("placeholders"));
    auto unopenable = SqlDatabase::databaseWithPath(data.path() / "no" / "such" / "dir" / "x.db");
    EXPECT_FALSE(unopenable->open());
}

TEST(SqlDatabase, ResultSetKeepsTheDatabaseOpen)
{
    ScopedDataFolder data;
    std::shared_ptr<SqlResultSet> rows;
    {
        auto db = SqlDatabase::databaseWithPath(data.path() / "t.db");
        ASSERT_TRUE(db->open());
        ASSERT_TRUE(db->executeUpdate("create table t (a text)"));
        ASSERT_TRUE(db->executeUpdate("insert into t values ('kept')"));
        rows = db->executeQuery("select a from t");
        db->close();
    }
    ASSERT_TRUE(rows->next());
    EXPECT_EQ(rows->stringForColumn("a"), "kept");
}
