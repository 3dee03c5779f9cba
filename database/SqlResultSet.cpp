#include "database/SqlResultSet.h"

#include "platform/foundation/Log.h"

#include <sqlite3.h>

SqlResultSet::SqlResultSet(std::shared_ptr<sqlite3> database, std::shared_ptr<sqlite3_stmt> statement)
    : m_database(std::move(database))
    , m_statement(std::move(statement))
{
    const int count = sqlite3_column_count(m_statement.get());
    for (int i = 0; i < count; ++i) {
        if (const char* name = sqlite3_column_name(m_statement.get(), i))
            m_columns.emplace(name, i); // the first column of a repeated name wins
    }
}

bool SqlResultSet::next()
{
    if (!m_statement || m_finished)
        return false;
    const int rc = sqlite3_step(m_statement.get());
    m_onRow = rc == SQLITE_ROW;
    if (!m_onRow) {
        // Stepping a finished statement again would start the query over.
        m_finished = true;
        if (rc != SQLITE_DONE)
            NSLog("database error while reading rows: %s", sqlite3_errmsg(m_database.get()));
    }
    return m_onRow;
}

std::optional<std::string> SqlResultSet::stringForColumn(const std::string& column) const
{
    if (!m_onRow)
        return std::nullopt;
    auto it = m_columns.find(column);
    if (it == m_columns.end() || sqlite3_column_type(m_statement.get(), it->second) == SQLITE_NULL)
        return std::nullopt;
    const auto* text = sqlite3_column_text(m_statement.get(), it->second);
    const int size = sqlite3_column_bytes(m_statement.get(), it->second);
    return std::string(reinterpret_cast<const char*>(text), static_cast<std::size_t>(size));
}

int SqlResultSet::columnCount() const
{
    return static_cast<int>(m_columns.size());
}

void SqlResultSet::close()
{
    m_onRow = false;
    m_statement.reset();
}
