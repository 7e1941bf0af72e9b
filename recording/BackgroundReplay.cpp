#include "recording/BackgroundReplay.h"

#include "recording/LogProgress.h"
#include "recording/SampleHistory.h"
#include "recording/SilentRecordingHost.h"

namespace {

// Publishes the progress and answers the cancel, once per block.
class SharedProgress : public LogProgress {
public:
    SharedProgress(std::atomic<std::int64_t>& done, std::atomic<std::int64_t>& total, const std::atomic<bool>& cancel)
        : done_(done), total_(total), cancel_(cancel)
    {
    }
    bool advance(std::int64_t done, std::int64_t total) override
    {
        total_.store(total);
        done_.store(done);
        return !cancel_.load();
    }

private:
    std::atomic<std::int64_t>& done_;
    std::atomic<std::int64_t>& total_;
    const std::atomic<bool>& cancel_;
};

} // namespace

BackgroundReplay::BackgroundReplay(std::string path, const ChartState& initial, int cellsStatus)
    : path_(std::move(path)), state_(initial)
{
    words_.runMode.store(RunMode::Replay);
    words_.cellsStatus.store(cellsStatus);
    thread_ = std::thread([this] { run(); });
}

BackgroundReplay::~BackgroundReplay()
{
    cancel();
    if (thread_.joinable())
        thread_.join();
}

void BackgroundReplay::run()
{
    // In replay the host is told nothing the window would act on (no cell
    // indicators; the data transfer is empty), so a silent one serves.
    SilentRecordingHost host;
    SampleHistory history(state_, words_, host);
    SharedProgress progress(done_, total_, cancel_);
    ReplayReport report = readLogFile(path_, history, {&progress, {}});
    {
        std::lock_guard<std::mutex> lock(mutex_);
        report_ = std::move(report);
        finished_.store(true);
    }
    changed_.notify_all();
}

bool BackgroundReplay::waitFor(std::chrono::milliseconds limit)
{
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, limit, [this] { return finished_.load(); });
}

int BackgroundReplay::percent() const
{
    const std::int64_t total = total_.load();
    if (finished_.load() || total <= 0)
        return finished_.load() ? 100 : 0;
    return static_cast<int>(done_.load() * 100 / total);
}
