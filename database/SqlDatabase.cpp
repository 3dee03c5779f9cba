#include "database/SqlDatabase.h"

#include "platform/foundation/Log.h"

#include <sqlite3.h>

std::shared_ptr<SqlDatabase> SqlDatabase::databaseWithPath(std::filesystem::path path)
{
    return std::shared_ptr<SqlDatabase>(new SqlDatabase(std::move(path)));
}

SqlDatabase::SqlDatabase(std::filesystem::path path)
    : m_path(std::move(path))
{
}

SqlDatabase::~SqlDatabase() = default;

bool SqlDatabase::open()
{
    if (m_handle)
        return true;
    sqlite3* handle = nullptr;
    const int rc = sqlite3_open_v2(m_path.c_str(), &handle, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    if (rc != SQLITE_OK) {
        NSLog("cannot open database %s: %s", m_path.c_str(), handle ? sqlite3_errmsg(handle) : sqlite3_errstr(rc));
        sqlite3_close(handle);
        return false;
    }
    // Result sets share the handle, so it closes when the last of them is gone.
    m_handle = std::shared_ptr<sqlite3>(handle, [](sqlite3* h) { sqlite3_close_v2(h); });
    return true;
}

void SqlDatabase::close()
{
    m_handle.reset();
}

std::string SqlDatabase::lastErrorMessage() const
{
    return m_handle ? sqlite3_errmsg(m_handle.get()) : "database not open";
}

std::shared_ptr<sqlite3_stmt> SqlDatabase::prepareStatement(const std::string& sql, const std::vector<SqlValue>& values)
{
    if (!m_handle) {
        NSLog("database %s is not open", m_path.c_str());
        return nullptr;
    }
    sqlite3_stmt* raw = nullptr;
    if (sqlite3_prepare_v2(m_handle.get(), sql.c_str(), static_cast<int>(sql.size()), &raw, nullptr) != SQLITE_OK) {
        NSLog("database error: %s in \"%s\"", sqlite3_errmsg(m_handle.get()), sql.c_str());
        sqlite3_finalize(raw);
        return nullptr;
    }
    std::shared_ptr<sqlite3_stmt> statement(raw, sqlite3_finalize);
    const int placeholders = sqlite3_bind_parameter_count(raw);
    if (placeholders != static_cast<int>(values.size())) {
        NSLog("database error: %d values for %d placeholders in \"%s\"", static_cast<int>(values.size()), placeholders,
              sql.c_str());
        return nullptr;
    }
    for (int i = 0; i < placeholders; ++i) {
        const auto& value = values[static_cast<std::size_t>(i)];
        int rc = SQLITE_OK;
        if (std::holds_alternative<std::nullptr_t>(value))
            rc = sqlite3_bind_null(raw, i + 1);
        else if (const auto* n = std::get_if<std::int64_t>(&value))
            rc = sqlite3_bind_int64(raw, i + 1, *n);
        else if (const auto* d = std::get_if<double>(&value))
            rc = sqlite3_bind_double(raw, i + 1, *d);
        else if (const auto* s = std::get_if<std::string>(&value))
            rc = sqlite3_bind_text(raw, i + 1, s->data(), static_cast<int>(s->size()), SQLITE_TRANSIENT);
        if (rc != SQLITE_OK) {
            NSLog("database error binding value %d: %s", i + 1, sqlite3_errmsg(m_handle.get()));
            return nullptr;
        }
    }
    return statement;
}

std::shared_ptr<SqlResultSet> SqlDatabase::executeQuery(const std::string& sql, const std::vector<SqlValue>& values)
{
    auto statement = prepareStatement(sql, values);
    if (!statement)
        return nullptr;
    return std::make_shared<SqlResultSet>(m_handle, std::move(statement));
}

bool SqlDatabase::executeUpdate(const std::string& sql, const std::vector<SqlValue>& values)
{
    auto statement = prepareStatement(sql, values);
    if (!statement)
        return false;
    int rc;
    while ((rc = sqlite3_step(statement.get())) == SQLITE_ROW) {
    }
    if (rc != SQLITE_DONE) {
        NSLog("database error: %s in \"%s\"", sqlite3_errmsg(m_handle.get()), sql.c_str());
        return false;
    }
    return true;
}
