#pragma once

#include <cstdint>
#include <string>

struct sqlite3;

// One connection to an SQLite file. Every failure throws a LibraryError that
// names the file and says in plain words what stands in the way (another
// program holding it, a read-only file, a file that is no database), with
// SQLite's own words in brackets.
class SqliteDatabase {
public:
    enum class Mode {
        Create,    // read and write; the file is made if missing
        ReadWrite, // read and write an existing file
        ReadOnly,  // read an existing file
    };

    SqliteDatabase(std::string path, Mode mode, int busyTimeoutMs);
    ~SqliteDatabase();
    SqliteDatabase(const SqliteDatabase&) = delete;
    SqliteDatabase& operator=(const SqliteDatabase&) = delete;

    const std::string& path() const { return path_; }
    bool readOnly() const { return mode_ == Mode::ReadOnly; }
    int busyTimeoutMs() const { return busyTimeoutMs_; }
    sqlite3* handle() const { return db_; }

    // Runs statements that return no rows.
    void exec(const char* sql);
    // The first column of the first row of a query that needs no parameters.
    std::int64_t scalar(const char* sql);
    std::int64_t lastInsertId() const;

    // Throws the LibraryError for an SQLite result code.
    [[noreturn]] void fail(int code) const;

    // Runs `attempt` (returning an SQLite result code) again while it answers
    // busy, until the busy time-out has passed since the first try. SQLite
    // answers busy at once, without its own wait, in a few cases: a new file
    // switched to WAL while another program opens it, or the WAL index being
    // recovered.
    template <class Attempt>
    int retryWhileBusy(Attempt&& attempt) const;

private:
    static bool busy(int code);
    void pause() const;
    bool pastTimeOut(long long startMs) const;
    static long long nowMs();

    std::string path_;
    Mode mode_;
    int busyTimeoutMs_;
    sqlite3* db_ = nullptr;
};

template <class Attempt>
int SqliteDatabase::retryWhileBusy(Attempt&& attempt) const
{
    const long long start = nowMs();
    for (;;) {
        const int rc = attempt();
        if (!busy(rc) || pastTimeOut(start))
            return rc;
        pause();
    }
}

// A write transaction taken at once (BEGIN IMMEDIATE): a second writer waits
// for the busy time-out instead of failing half-way. Rolled back unless committed.
class SqliteTransaction {
public:
    explicit SqliteTransaction(SqliteDatabase& db);
    ~SqliteTransaction();
    SqliteTransaction(const SqliteTransaction&) = delete;
    SqliteTransaction& operator=(const SqliteTransaction&) = delete;

    void commit();

private:
    SqliteDatabase& db_;
    bool open_ = true;
};
