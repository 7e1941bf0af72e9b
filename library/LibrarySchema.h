#pragma once

class SqliteDatabase;

// The library's tables and how a file of any earlier version is brought up
// to the current one. Version 1 is the first schema; every later version is
// one step from the one before, applied in order, and a step, once released,
// never changes. The version is kept in SQLite's user_version.
namespace LibrarySchema {

constexpr int kVersion = 2;

// The version a file holds (0 for a new, empty file).
int version(SqliteDatabase& db);

// Brings the file up to kVersion in one write transaction, so that two
// programs opening a new library at once make it once. Throws a LibraryError
// for a file written by a newer program, which is left as it is.
void migrate(SqliteDatabase& db);

// Applies the steps up to `target` only (for tests of the migrations).
void migrateTo(SqliteDatabase& db, int target);

} // namespace LibrarySchema
