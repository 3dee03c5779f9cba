#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>

struct sqlite3;
struct sqlite3_stmt;

// The rows of one query, read forward. Keeps its database open while it lives.
class SqlResultSet {
public:
    SqlResultSet(std::shared_ptr<sqlite3> database, std::shared_ptr<sqlite3_stmt> statement);

    // Moves to the next row: true while a row is there, false at the end or on an error.
    bool next();
    // The current row's value as text; nothing for NULL, an unknown column or no current row.
    std::optional<std::string> stringForColumn(const std::string& column) const;
    int columnCount() const;
    void close();

private:
    std::shared_ptr<sqlite3> m_database;
    std::shared_ptr<sqlite3_stmt> m_statement;
    std::map<std::string, int> m_columns;
    bool m_onRow = false;
    bool m_finished = false;
};
