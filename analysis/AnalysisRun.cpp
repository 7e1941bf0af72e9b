#include "analysis/AnalysisRun.h"

#include <new>

AnalysisRun::AnalysisRun(std::string path) : follower_(std::move(path)) {}

std::string AnalysisRun::name() const
{
    const std::string& p = path();
    const std::size_t slash = p.find_last_of('/');
    return slash == std::string::npos ? p : p.substr(slash + 1);
}

bool AnalysisRun::load(const Progress& progress)
{
    error_.clear();
    if (!follower_.open())
        return false;
    data_.clear();
    const std::int64_t records = follower_.size() / static_cast<std::int64_t>(kRecordSize);
    const auto tooLarge = [&] {
        data_.clear();
        error_ = std::string(kTooLarge) + " (" + std::to_string(records) + " records)";
        return false;
    };
    if (records > kMostRecords)
        return tooLarge();
    try {
        data_.reserve(static_cast<std::size_t>(records));
        return take(progress) != Update::Failed;
    } catch (const std::bad_alloc&) {
        return tooLarge();
    }
}

AnalysisRun::Update AnalysisRun::refresh()
{
    return take();
}

AnalysisRun::Update AnalysisRun::take(const Progress& progress)
{
    const std::int64_t total = progress ? follower_.size() / static_cast<std::int64_t>(kRecordSize) : 0;
    Update update = Update::None;
    // Chunk by chunk, so the records pass through a small buffer; stops at
    // the first short chunk, so a writer faster than this cannot keep it here.
    for (;;) {
        buffer_.clear();
        const LogFollower::Change change = follower_.read(buffer_, LogFollower::kChunkRecords);
        if (change == LogFollower::Change::Failed)
            return Update::Failed;
        if (change == LogFollower::Change::Restarted) {
            data_.clear();
            update = Update::Restarted;
        } else if (change == LogFollower::Change::Appended && update == Update::None) {
            update = Update::Grew;
        }
        data_.append(buffer_.data(), buffer_.size());
        if (progress)
            progress(follower_.recordsRead(), total);
        if (buffer_.size() < LogFollower::kChunkRecords)
            return update;
    }
}
