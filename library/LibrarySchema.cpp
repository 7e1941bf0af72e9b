#include "library/LibrarySchema.h"

#include "library/LibraryError.h"
#include "library/SqliteDatabase.h"

#include <array>
#include <string>

namespace {

// Step n makes version n from version n - 1.
constexpr std::array<const char*, LibrarySchema::kVersion> kSteps = {
    // 1: packs, runs (one per distinct log content) and the files seen on disk.
    // A run outlives its files: when a log moves, its hash finds the run again
    // with the pack it was given.
    R"(
CREATE TABLE packs (
    id INTEGER PRIMARY KEY,
    name TEXT NOT NULL UNIQUE,
    notes TEXT NOT NULL DEFAULT '',
    nominal_mah REAL,
    cells INTEGER
);
CREATE TABLE runs (
    id INTEGER PRIMARY KEY,
    hash INTEGER NOT NULL UNIQUE,
    size INTEGER NOT NULL,
    records INTEGER NOT NULL,
    start_time INTEGER NOT NULL,
    end_time INTEGER NOT NULL,
    duration REAL NOT NULL,
    mode INTEGER NOT NULL,
    battery_type INTEGER NOT NULL,
    cells INTEGER NOT NULL,
    capacity_mah REAL NOT NULL,
    integrated_mah REAL NOT NULL,
    energy_wh REAL NOT NULL,
    peak_v REAL NOT NULL,
    end_v REAL NOT NULL,
    peak_a REAL NOT NULL,
    peak_temp REAL,
    cell1_v REAL, cell2_v REAL, cell3_v REAL, cell4_v REAL,
    cell5_v REAL, cell6_v REAL, cell7_v REAL, cell8_v REAL,
    end_spread_mv REAL,
    largest_spread_mv REAL,
    pack_id INTEGER REFERENCES packs(id) ON DELETE SET NULL
);
CREATE INDEX runs_pack ON runs(pack_id, start_time);
CREATE TABLE files (
    path TEXT PRIMARY KEY,
    size INTEGER NOT NULL,
    mtime_ns INTEGER NOT NULL,
    run_id INTEGER REFERENCES runs(id) ON DELETE CASCADE,
    problem TEXT
);
CREATE INDEX files_run ON files(run_id);
)",
    // 2: health thresholds chosen per pack; NULL takes the default.
    R"(
ALTER TABLE packs ADD COLUMN min_capacity_share REAL;
ALTER TABLE packs ADD COLUMN max_end_spread_mv REAL;
ALTER TABLE packs ADD COLUMN max_spread_growth_mv REAL;
ALTER TABLE packs ADD COLUMN max_temperature REAL;
)",
};

int readVersion(SqliteDatabase& db)
{
    return static_cast<int>(db.scalar("PRAGMA user_version"));
}

void setVersion(SqliteDatabase& db, int version)
{
    db.exec(("PRAGMA user_version = " + std::to_string(version)).c_str());
}

void refuseNewer(SqliteDatabase& db, int version)
{
    if (version > LibrarySchema::kVersion)
        throw LibraryError(db.path(), "was written by a newer Trelvane (library version " + std::to_string(version)
                                          + "; this one knows up to " + std::to_string(LibrarySchema::kVersion) + ")");
}

} // namespace

namespace LibrarySchema {

int version(SqliteDatabase& db)
{
    return readVersion(db);
}


void migrateTo(SqliteDatabase& db, int target)
{
    // A file that needs nothing takes no write lock, so that it opens while
    // another program writes it.
    if (const int current = readVersion(db); current >= target) {
        refuseNewer(db, current);
        return;
    }
    // Read the version again inside the transaction: a second program that
    // opened the file at the same time finds the work done.
    SqliteTransaction transaction(db);
    const int from = readVersion(db);
    refuseNewer(db, from);
    for (int v = from + 1; v <= target; ++v) {
        db.exec(kSteps[static_cast<std::size_t>(v - 1)]);
        setVersion(db, v);
    }
    transaction.commit();
}

void migrate(SqliteDatabase& db)
{
    migrateTo(db, kVersion);
}

} // namespace LibrarySchema
