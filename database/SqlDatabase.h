#pragma once

#include "database/SqlResultSet.h"
#include "database/SqlValue.h"

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

struct sqlite3;

// A handle on one open SQLite database.
class SqlDatabase {
public:
    static std::shared_ptr<SqlDatabase> databaseWithPath(std::filesystem::path path);
    ~SqlDatabase();
    SqlDatabase(const SqlDatabase&) = delete;
    SqlDatabase& operator=(const SqlDatabase&) = delete;

    bool open();
    void close();
    bool isOpen() const { return m_handle != nullptr; }

    // A result set before its first row, or nothing (and a log line) on failure.
    std::shared_ptr<SqlResultSet> executeQuery(const std::string& sql, const std::vector<SqlValue>& values = {});
    bool executeUpdate(const std::string& sql, const std::vector<SqlValue>& values = {});
    std::string lastErrorMessage() const;

private:
    explicit SqlDatabase(std::filesystem::path path);
    std::shared_ptr<sqlite3_stmt> prepareStatement(const std::string& sql, const std::vector<SqlValue>& values);

    std::filesystem::path m_path;
    std::shared_ptr<sqlite3> m_handle;
};
