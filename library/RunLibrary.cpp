#include "library/RunLibrary.h"

#include "library/LibraryError.h"
#include "library/LibrarySchema.h"
#include "library/SqliteStatement.h"

#include <cerrno>
#include <filesystem>
#include <system_error>

#include <sqlite3.h>
#include <sys/stat.h>

namespace {

constexpr const char* kRunColumns =
    "r.id, r.hash, r.size, r.records, r.start_time, r.end_time, r.duration, r.mode, r.battery_type, r.cells, "
    "r.capacity_mah, r.integrated_mah, r.energy_wh, r.peak_v, r.end_v, r.peak_a, r.peak_temp, "
    "r.cell1_v, r.cell2_v, r.cell3_v, r.cell4_v, r.cell5_v, r.cell6_v, r.cell7_v, r.cell8_v, "
    "r.end_spread_mv, r.largest_spread_mv, r.pack_id, p.name, "
    "(SELECT min(f.path) FROM files f WHERE f.run_id = r.id)";
constexpr int kFirstCellColumn = 17;

constexpr const char* kPackColumns =
    "id, name, notes, nominal_mah, cells, min_capacity_share, max_end_spread_mv, max_spread_growth_mv, max_temperature";

LibraryRun runFrom(const SqliteStatement& s)
{
    LibraryRun r;
    r.id = s.integer(0);
    r.hash = static_cast<std::uint64_t>(s.integer(1));
    r.size = s.integer(2);
    RunFigures& f = r.figures;
    f.records = s.integer(3);
    r.startTime = s.integer(4);
    r.endTime = s.integer(5);
    f.duration = s.real(6);
    f.mode = s.integer(7) == 1 ? RunFigures::Mode::Charge : RunFigures::Mode::Discharge;
    f.batteryType = static_cast<std::int32_t>(s.integer(8));
    f.cells = static_cast<int>(s.integer(9));
    f.capacity = s.real(10);
    f.integratedCapacity = s.real(11);
    f.energy = s.real(12);
    f.peakVoltage = s.real(13);
    f.endVoltage = s.real(14);
    f.peakCurrent = s.real(15);
    f.peakTemperature = s.optionalReal(16);
    for (int c = 0; c < 8; ++c)
        f.endCells[static_cast<std::size_t>(c)] = s.optionalReal(kFirstCellColumn + c);
    f.endSpread = s.optionalReal(25);
    f.largestSpread = s.optionalReal(26);
    if (!s.isNull(27))
        r.packId = s.integer(27);
    r.packName = s.text(28);
    r.path = s.text(29);
    return r;
}

PackInfo packFrom(const SqliteStatement& s)
{
    PackInfo p;
    p.id = s.integer(0);
    p.name = s.text(1);
    p.notes = s.text(2);
    p.nominalCapacity = s.optionalReal(3);
    if (!s.isNull(4))
        p.cells = static_cast<int>(s.integer(4));
    p.thresholds.capacityShare = s.optionalReal(5);
    p.thresholds.endSpread = s.optionalReal(6);
    p.thresholds.spreadGrowth = s.optionalReal(7);
    p.thresholds.temperature = s.optionalReal(8);
    return p;
}

bool exists(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 || errno != ENOENT;
}

void makeFolderFor(const std::string& path)
{
    const std::filesystem::path folder = std::filesystem::path(path).parent_path();
    if (folder.empty())
        return;
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error)
        throw LibraryError(folder.string(), "cannot make the library's folder: " + error.message());
}

// Opens and brings the file to the current schema; a library that cannot be
// written is still read when it needs no change.
std::unique_ptr<SqliteDatabase> openLibrary(const std::string& path, RunLibrary::Access access, int busyTimeoutMs)
{
    if (access == RunLibrary::Access::Write) {
        makeFolderFor(path);
        auto db = std::make_unique<SqliteDatabase>(path, SqliteDatabase::Mode::Create, busyTimeoutMs);
        db->exec("PRAGMA foreign_keys = ON");
        // WAL: readers never wait for a writer, and two writers queue.
        db->exec("PRAGMA journal_mode = WAL");
        LibrarySchema::migrate(*db);
        return db;
    }
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        throw LibraryError(path, errno == ENOENT ? "there is no library yet; scan the logs first (trelvane-library scan FOLDER)"
                                                 : std::generic_category().message(errno));
    try {
        auto db = std::make_unique<SqliteDatabase>(path, SqliteDatabase::Mode::ReadWrite, busyTimeoutMs);
        db->exec("PRAGMA foreign_keys = ON");
        db->exec("PRAGMA journal_mode = WAL");
        LibrarySchema::migrate(*db);
        return db;
    } catch (const LibraryError&) {
        // Read-only: fine as long as the file needs nothing written.
        auto db = std::make_unique<SqliteDatabase>(path, SqliteDatabase::Mode::ReadOnly, busyTimeoutMs);
        const int version = LibrarySchema::version(*db);
        if (version != LibrarySchema::kVersion)
            throw LibraryError(path, "holds library version " + std::to_string(version) + ", which needs "
                                         + (version < LibrarySchema::kVersion ? "an update" : "a newer Trelvane")
                                         + ", and the file cannot be written");
        return db;
    }
}

} // namespace

std::string packSubject(const std::string& name)
{
    return "pack \"" + name + "\"";
}

RunLibrary::RunLibrary(const std::string& path, Access access, int busyTimeoutMs)
    : db_(openLibrary(path, access, busyTimeoutMs))
{
}

std::unordered_map<std::string, RunLibrary::KnownFile> RunLibrary::knownFiles()
{
    std::unordered_map<std::string, KnownFile> known;
    SqliteStatement s(*db_, "SELECT path, size, mtime_ns, run_id IS NOT NULL, ifnull(problem, '') FROM files");
    while (s.step())
        known[s.text(0)] = {{s.integer(1), s.integer(2)}, s.integer(3) != 0, s.text(4)};
    return known;
}

RunLibrary::Recorded RunLibrary::record(const std::string& path, const ScannedLog& log)
{
    std::optional<std::int64_t> previous;
    {
        SqliteStatement s(*db_, "SELECT run_id FROM files WHERE path = ?");
        s.bind(1, path);
        if (s.step() && !s.isNull(0))
            previous = s.integer(0);
    }
    SqliteStatement file(*db_, "INSERT INTO files (path, size, mtime_ns, run_id, problem) VALUES (?, ?, ?, ?, ?) "
                               "ON CONFLICT(path) DO UPDATE SET size = excluded.size, mtime_ns = excluded.mtime_ns, "
                               "run_id = excluded.run_id, problem = excluded.problem");
    file.bind(1, path).bind(2, log.stamp.size).bind(3, log.stamp.modifiedNs);

    Recorded recorded;
    if (!log.isRun()) {
        // The run that was here, if any, stays in the library without a file.
        file.bindNull(4).bind(5, log.problem).run();
        return recorded;
    }

    std::optional<std::int64_t> known;
    {
        SqliteStatement s(*db_, "SELECT id FROM runs WHERE hash = ?");
        s.bind(1, static_cast<std::int64_t>(log.hash));
        if (s.step())
            known = s.integer(0);
    }
    if (known) {
        recorded.runId = *known;
        if (previous == known) {
            recorded.outcome = Outcome::Unchanged;
        } else {
            // Its other files tell a move (gone) from a copy (still there).
            std::vector<std::string> gone;
            SqliteStatement others(*db_, "SELECT path FROM files WHERE run_id = ? AND path <> ?");
            others.bind(1, *known).bind(2, path);
            std::string present;
            while (others.step()) {
                std::string other = others.text(0);
                if (exists(other))
                    present = std::move(other);
                else
                    gone.push_back(std::move(other));
            }
            SqliteStatement forget(*db_, "DELETE FROM files WHERE path = ?");
            for (const std::string& g : gone)
                forget.bind(1, g).run();
            if (!present.empty()) {
                recorded.outcome = Outcome::Copy;
                recorded.otherPath = present;
            } else if (!gone.empty()) {
                recorded.outcome = Outcome::Moved;
                recorded.otherPath = gone.front();
            } else {
                recorded.outcome = Outcome::Found;
            }
        }
        file.bind(4, *known).bindNull(5).run();
        return recorded;
    }

    const RunFigures& f = log.figures;
    SqliteStatement insert(*db_, "INSERT INTO runs (hash, size, records, start_time, end_time, duration, mode, "
                                 "battery_type, cells, capacity_mah, integrated_mah, energy_wh, peak_v, end_v, peak_a, "
                                 "peak_temp, cell1_v, cell2_v, cell3_v, cell4_v, cell5_v, cell6_v, cell7_v, cell8_v, "
                                 "end_spread_mv, largest_spread_mv) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, "
                                 "?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
    insert.bind(1, static_cast<std::int64_t>(log.hash))
        .bind(2, log.stamp.size)
        .bind(3, f.records)
        .bind(4, log.startTime)
        .bind(5, log.endTime)
        .bind(6, f.duration)
        .bind(7, std::int64_t{f.mode == RunFigures::Mode::Charge ? 1 : 0})
        .bind(8, std::int64_t{f.batteryType})
        .bind(9, std::int64_t{f.cells})
        .bind(10, f.capacity)
        .bind(11, f.integratedCapacity)
        .bind(12, f.energy)
        .bind(13, f.peakVoltage)
        .bind(14, f.endVoltage)
        .bind(15, f.peakCurrent)
        .bind(16, f.peakTemperature);
    for (int c = 0; c < 8; ++c)
        insert.bind(17 + c, f.endCells[static_cast<std::size_t>(c)]);
    insert.bind(25, f.endSpread).bind(26, f.largestSpread).run();
    recorded.runId = db_->lastInsertId();
    recorded.outcome = previous ? Outcome::Replaced : Outcome::Added;
    file.bind(4, recorded.runId).bindNull(5).run();
    return recorded;
}

std::size_t RunLibrary::forgetGone(const std::string& folder, const std::unordered_set<std::string>& seen)
{
    const std::string prefix = folder.empty() || folder.back() != '/' ? folder + "/" : folder;
    std::vector<std::string> gone;
    {
        // Compared as bytes: on text, substr counts characters, and a folder
        // named beyond ASCII would never match its own byte length.
        SqliteStatement s(*db_, "SELECT path FROM files WHERE substr(CAST(path AS BLOB), 1, ?1) = CAST(?2 AS BLOB)");
        s.bind(1, static_cast<std::int64_t>(prefix.size())).bind(2, prefix);
        while (s.step()) {
            std::string path = s.text(0);
            // Only what is really gone: a folder the walk could not enter still holds its files.
            if (!seen.count(path) && !exists(path))
                gone.push_back(std::move(path));
        }
    }
    SqliteStatement forget(*db_, "DELETE FROM files WHERE path = ?");
    for (const std::string& path : gone)
        forget.bind(1, path).run();
    return gone.size();
}

std::vector<LibraryRun> RunLibrary::runs(std::optional<std::int64_t> packId)
{
    const std::string sql = std::string("SELECT ") + kRunColumns + " FROM runs r LEFT JOIN packs p ON p.id = r.pack_id"
                            + (packId ? " WHERE r.pack_id = ?" : "") + " ORDER BY r.start_time, r.id";
    SqliteStatement s(*db_, sql.c_str());
    if (packId)
        s.bind(1, *packId);
    std::vector<LibraryRun> out;
    while (s.step())
        out.push_back(runFrom(s));
    return out;
}

std::optional<LibraryRun> RunLibrary::run(std::int64_t id)
{
    const std::string sql =
        std::string("SELECT ") + kRunColumns + " FROM runs r LEFT JOIN packs p ON p.id = r.pack_id WHERE r.id = ?";
    SqliteStatement s(*db_, sql.c_str());
    s.bind(1, id);
    if (!s.step())
        return std::nullopt;
    return runFrom(s);
}

std::optional<std::int64_t> RunLibrary::runOfFile(const std::string& path)
{
    SqliteStatement s(*db_, "SELECT run_id FROM files WHERE path = ? AND run_id IS NOT NULL");
    s.bind(1, path);
    if (!s.step())
        return std::nullopt;
    return s.integer(0);
}

std::vector<PackInfo> RunLibrary::packs()
{
    const std::string sql = std::string("SELECT ") + kPackColumns + " FROM packs ORDER BY name";
    SqliteStatement s(*db_, sql.c_str());
    std::vector<PackInfo> out;
    while (s.step())
        out.push_back(packFrom(s));
    return out;
}

std::optional<PackInfo> RunLibrary::findPack(const std::string& name)
{
    const std::string sql = std::string("SELECT ") + kPackColumns + " FROM packs WHERE name = ?";
    SqliteStatement s(*db_, sql.c_str());
    s.bind(1, name);
    if (!s.step())
        return std::nullopt;
    return packFrom(s);
}

PackInfo RunLibrary::pack(const std::string& name)
{
    std::optional<PackInfo> found = findPack(name);
    if (!found)
        throw LibraryError(packSubject(name), "no such pack");
    return *found;
}

std::int64_t RunLibrary::addPack(const PackInfo& pack)
{
    if (pack.name.empty())
        throw LibraryError("pack", "a pack needs a name");
    SqliteTransaction transaction(*db_);
    if (findPack(pack.name))
        throw LibraryError(packSubject(pack.name), "there is a pack of this name already");
    SqliteStatement s(*db_, "INSERT INTO packs (name, notes) VALUES (?, ?)");
    s.bind(1, pack.name).bind(2, pack.notes).run();
    PackInfo added = pack;
    added.id = db_->lastInsertId();
    updatePack(added);
    transaction.commit();
    return added.id;
}

void RunLibrary::renamePack(const std::string& from, const std::string& to)
{
    if (to.empty())
        throw LibraryError(packSubject(from), "a pack needs a name");
    SqliteTransaction transaction(*db_);
    const PackInfo found = pack(from);
    if (from != to && findPack(to))
        throw LibraryError(packSubject(to), "there is a pack of this name already");
    SqliteStatement s(*db_, "UPDATE packs SET name = ? WHERE id = ?");
    s.bind(1, to).bind(2, found.id).run();
    transaction.commit();
}

void RunLibrary::updatePack(const PackInfo& pack)
{
    SqliteStatement s(*db_, "UPDATE packs SET notes = ?, nominal_mah = ?, cells = ?, min_capacity_share = ?, "
                            "max_end_spread_mv = ?, max_spread_growth_mv = ?, max_temperature = ? WHERE id = ?");
    s.bind(1, pack.notes).bind(2, pack.nominalCapacity);
    if (pack.cells)
        s.bind(3, std::int64_t{*pack.cells});
    else
        s.bindNull(3);
    s.bind(4, pack.thresholds.capacityShare)
        .bind(5, pack.thresholds.endSpread)
        .bind(6, pack.thresholds.spreadGrowth)
        .bind(7, pack.thresholds.temperature)
        .bind(8, pack.id)
        .run();
}

void RunLibrary::assign(const std::vector<std::int64_t>& runIds, std::optional<std::int64_t> packId)
{
    SqliteTransaction transaction(*db_);
    SqliteStatement s(*db_, "UPDATE runs SET pack_id = ? WHERE id = ?");
    for (const std::int64_t id : runIds) {
        if (packId)
            s.bind(1, *packId);
        else
            s.bindNull(1);
        s.bind(2, id);
        s.run();
        if (sqlite3_changes(db_->handle()) == 0)
            throw LibraryError("run " + std::to_string(id), "no such run");
    }
    transaction.commit();
}

std::vector<PackRun> RunLibrary::packRuns(std::int64_t packId)
{
    std::vector<PackRun> out;
    for (const LibraryRun& r : runs(packId))
        out.push_back(r.packRun());
    return out;
}
