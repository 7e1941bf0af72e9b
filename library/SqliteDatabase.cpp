#include "library/SqliteDatabase.h"

#include "library/LibraryError.h"
#include "library/SqliteStatement.h"

#include <chrono>
#include <cstring>
#include <sqlite3.h>
#include <thread>

namespace {

constexpr std::chrono::milliseconds kBusyPause{20};

std::string seconds(int ms)
{
    return std::to_string((ms + 999) / 1000) + " s";
}

} // namespace

SqliteDatabase::SqliteDatabase(std::string path, Mode mode, int busyTimeoutMs)
    : path_(std::move(path)), mode_(mode), busyTimeoutMs_(busyTimeoutMs)
{
    int flags = SQLITE_OPEN_NOMUTEX;
    switch (mode) {
    case Mode::Create: flags |= SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE; break;
    case Mode::ReadWrite: flags |= SQLITE_OPEN_READWRITE; break;
    case Mode::ReadOnly: flags |= SQLITE_OPEN_READONLY; break;
    }
    const int rc = sqlite3_open_v2(path_.c_str(), &db_, flags, nullptr);
    if (rc != SQLITE_OK) {
        // The handle carries the reason even when the open failed.
        try {
            fail(rc);
        } catch (...) {
            sqlite3_close(db_);
            db_ = nullptr;
            throw;
        }
    }
    sqlite3_extended_result_codes(db_, 1);
    sqlite3_busy_timeout(db_, busyTimeoutMs_);
}

SqliteDatabase::~SqliteDatabase()
{
    sqlite3_close_v2(db_);
}

void SqliteDatabase::fail(int code) const
{
    const std::string words = db_ != nullptr ? sqlite3_errmsg(db_) : sqlite3_errstr(code);
    const int system = db_ != nullptr ? sqlite3_system_errno(db_) : 0;
    std::string reason;
    switch (code & 0xFF) {
    case SQLITE_BUSY:
        reason = "the library is in use by another program and stayed locked for " + seconds(busyTimeoutMs_)
                 + "; try again when it has finished";
        break;
    case SQLITE_LOCKED:
        // Only this connection's own statements conflict so: nothing to wait for.
        reason = "a table of the library is in use by another step of this program";
        break;
    case SQLITE_READONLY:
        reason = "the library cannot be written: the file or its folder is read-only";
        break;
    case SQLITE_CANTOPEN:
        reason = "cannot open the library";
        if (system != 0)
            reason += std::string(": ") + std::strerror(system);
        break;
    case SQLITE_NOTADB:
    case SQLITE_CORRUPT:
        reason = "is not a run library or is damaged; move it away and scan the logs again to rebuild it";
        break;
    case SQLITE_FULL:
        reason = "the disk is full";
        break;
    case SQLITE_IOERR:
        reason = "cannot be read or written";
        if (system != 0)
            reason += std::string(": ") + std::strerror(system);
        break;
    default:
        reason = "the library failed";
        break;
    }
    throw LibraryError(path_, reason + " (" + words + ")");
}

bool SqliteDatabase::busy(int code)
{
    return (code & 0xFF) == SQLITE_BUSY;
}

void SqliteDatabase::pause() const
{
    std::this_thread::sleep_for(kBusyPause);
}

long long SqliteDatabase::nowMs()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

bool SqliteDatabase::pastTimeOut(long long startMs) const
{
    return nowMs() - startMs >= busyTimeoutMs_;
}

void SqliteDatabase::exec(const char* sql)
{
    // Statements run here stand alone (BEGIN, COMMIT, PRAGMA, schema steps),
    // so running one again after a busy answer is safe.
    const int rc = retryWhileBusy([&] { return sqlite3_exec(db_, sql, nullptr, nullptr, nullptr); });
    if (rc != SQLITE_OK)
        fail(rc);
}

std::int64_t SqliteDatabase::scalar(const char* sql)
{
    SqliteStatement statement(*this, sql);
    return statement.step() ? statement.integer(0) : 0;
}

std::int64_t SqliteDatabase::lastInsertId() const
{
    return sqlite3_last_insert_rowid(db_);
}

SqliteTransaction::SqliteTransaction(SqliteDatabase& db) : db_(db)
{
    db_.exec("BEGIN IMMEDIATE");
}

SqliteTransaction::~SqliteTransaction()
{
    if (open_)
        sqlite3_exec(db_.handle(), "ROLLBACK", nullptr, nullptr, nullptr);
}

void SqliteTransaction::commit()
{
    db_.exec("COMMIT");
    open_ = false;
}
