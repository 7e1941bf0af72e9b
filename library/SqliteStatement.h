#pragma once

#include <cstdint>
#include <optional>
#include <string>

class SqliteDatabase;
struct sqlite3_stmt;

// A prepared statement. Parameters count from 1, columns from 0.
class SqliteStatement {
public:
    SqliteStatement(SqliteDatabase& db, const char* sql);
    ~SqliteStatement();
    SqliteStatement(const SqliteStatement&) = delete;
    SqliteStatement& operator=(const SqliteStatement&) = delete;

    SqliteStatement& bind(int index, std::int64_t value);
    SqliteStatement& bind(int index, double value);
    SqliteStatement& bind(int index, const std::string& value);
    SqliteStatement& bind(int index, const std::optional<double>& value);
    SqliteStatement& bindNull(int index);

    // True while there is a row to read; false once done.
    bool step();
    // Runs a statement that returns no row.
    void run();
    // Ready to run again with new parameters.
    void reset();

    bool isNull(int column) const;
    std::int64_t integer(int column) const;
    double real(int column) const;
    std::optional<double> optionalReal(int column) const;
    std::string text(int column) const;

private:
    SqliteDatabase& db_;
    sqlite3_stmt* statement_ = nullptr;
};
