#include "library/SqliteStatement.h"

#include "library/SqliteDatabase.h"

#include <sqlite3.h>

SqliteStatement::SqliteStatement(SqliteDatabase& db, const char* sql) : db_(db)
{
    const int rc = sqlite3_prepare_v2(db_.handle(), sql, -1, &statement_, nullptr);
    if (rc != SQLITE_OK)
        db_.fail(rc);
}

SqliteStatement::~SqliteStatement()
{
    sqlite3_finalize(statement_);
}

SqliteStatement& SqliteStatement::bind(int index, std::int64_t value)
{
    if (const int rc = sqlite3_bind_int64(statement_, index, value); rc != SQLITE_OK)
        db_.fail(rc);
    return *this;
}

SqliteStatement& SqliteStatement::bind(int index, double value)
{
    if (const int rc = sqlite3_bind_double(statement_, index, value); rc != SQLITE_OK)
        db_.fail(rc);
    return *this;
}

SqliteStatement& SqliteStatement::bind(int index, const std::string& value)
{
    const int rc = sqlite3_bind_text(statement_, index, value.data(), static_cast<int>(value.size()), SQLITE_TRANSIENT);
    if (rc != SQLITE_OK)
        db_.fail(rc);
    return *this;
}

SqliteStatement& SqliteStatement::bind(int index, const std::optional<double>& value)
{
    return value ? bind(index, *value) : bindNull(index);
}

SqliteStatement& SqliteStatement::bindNull(int index)
{
    if (const int rc = sqlite3_bind_null(statement_, index); rc != SQLITE_OK)
        db_.fail(rc);
    return *this;
}

bool SqliteStatement::step()
{
    // Outside a transaction a statement that found the file busy can simply
    // run again; inside one, the transaction itself already holds what it needs.
    const bool alone = sqlite3_get_autocommit(db_.handle()) != 0;
    const int rc = alone ? db_.retryWhileBusy([&] {
        const int code = sqlite3_step(statement_);
        if ((code & 0xFF) == SQLITE_BUSY)
            sqlite3_reset(statement_);
        return code;
    })
                         : sqlite3_step(statement_);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    sqlite3_reset(statement_);
    db_.fail(rc);
}

void SqliteStatement::run()
{
    while (step()) {
    }
    reset();
}

void SqliteStatement::reset()
{
    sqlite3_reset(statement_);
    sqlite3_clear_bindings(statement_);
}

bool SqliteStatement::isNull(int column) const
{
    return sqlite3_column_type(statement_, column) == SQLITE_NULL;
}

std::int64_t SqliteStatement::integer(int column) const
{
    return sqlite3_column_int64(statement_, column);
}

double SqliteStatement::real(int column) const
{
    return sqlite3_column_double(statement_, column);
}

std::optional<double> SqliteStatement::optionalReal(int column) const
{
    return isNull(column) ? std::nullopt : std::optional<double>(real(column));
}

std::string SqliteStatement::text(int column) const
{
    const auto* bytes = reinterpret_cast<const char*>(sqlite3_column_text(statement_, column));
    return bytes != nullptr ? std::string(bytes, static_cast<std::size_t>(sqlite3_column_bytes(statement_, column)))
                            : std::string();
}
