// trelvane-runs-picture OUT.png: the Runs window for the manual, showing a
// made-up pack history (a 3S pack charged once a month that loses capacity
// and whose third cell falls behind), drawn offscreen.
#include "library/LibraryScan.h"
#include "library/RunTableModel.h"
#include "library/RunsWindow.h"

#include <QApplication>
#include <QHeaderView>
#include <QTableView>
#include <QTemporaryDir>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include <fcntl.h>
#include <sys/stat.h>

namespace {

constexpr std::int64_t kFirstCharge = 1'736'000'000; // a winter evening
constexpr std::int64_t kMonth = 30 * 86400;

void writeCharge(const std::string& path, double mah, double lagMv, int seed)
{
    const int seconds = static_cast<int>(mah / 2000.0 * 3600.0);
    std::ofstream out(path, std::ios::binary);
    for (int s = 1; s <= seconds; ++s) {
        const double x = static_cast<double>(s) / seconds;
        MeasurementRecord r;
        r.elapsedSeconds = s;
        r.current = static_cast<float>(x < 0.8 ? 2.0 : 2.0 * (1 - x) / 0.2 + 0.1);
        r.voltage = static_cast<float>(11.4 + 1.2 * x);
        r.temperature = static_cast<float>(24 + 8 * x + (seed % 3));
        r.capacity = static_cast<std::int32_t>(mah * x);
        // Cell 3 ends `lagMv` below the other two.
        r.cellVoltage[0] = r.cellVoltage[1] = r.voltage / 3 + static_cast<float>(lagMv / 3000.0);
        r.cellVoltage[2] = r.voltage / 3 - static_cast<float>(2 * lagMv / 3000.0);
        r.batteryType = 1;
        r.chargeMode = 1;
        r.auxValue = static_cast<float>(seed);
        const RecordBytes bytes = toBytes(r);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: trelvane-runs-picture OUT.png\n");
        return 2;
    }
    QTemporaryDir dir;
    const std::string logs = dir.filePath(QStringLiteral("logs")).toStdString();
    std::filesystem::create_directories(logs);
    const double capacity[] = {2150, 2140, 2120, 2090, 2010, 1900, 1740, 1690};
    const double lag[] = {8, 9, 8, 12, 17, 23, 30, 41};
    for (int i = 0; i < 8; ++i) {
        const std::string path = logs + "/pack2-" + std::to_string(i + 1) + ".tvr";
        writeCharge(path, capacity[i], lag[i], i);
        const std::int64_t when = kFirstCharge + i * kMonth;
        const timespec times[2] = {{when, 0}, {when, 0}};
        ::utimensat(AT_FDCWD, path.c_str(), times, 0);
    }
    const std::string db = dir.filePath(QStringLiteral("library.sqlite")).toStdString();
    {
        RunLibrary library(db, RunLibrary::Access::Write);
        LibraryScan(library).scan({logs});
        PackInfo pack;
        pack.name = "3S 2200 #2";
        pack.nominalCapacity = 2200;
        pack.cells = 3;
        const std::int64_t id = library.addPack(pack);
        std::vector<std::int64_t> runs;
        for (const LibraryRun& r : library.runs())
            runs.push_back(r.id);
        library.assign(runs, id);
    }
    RunsWindow window(QString::fromStdString(db));
    window.resize(1180, 820);
    window.showPack(QStringLiteral("3S 2200 #2"));
    window.table()->setColumnHidden(window.model()->columnOf(RunColumn::File), true);
    window.table()->resizeColumnsToContents();
    window.table()->selectRow(7);
    window.show();
    QApplication::processEvents();
    if (!window.grab().save(QString::fromLocal8Bit(argv[1]))) {
        std::fprintf(stderr, "trelvane-runs-picture: %s: cannot be written\n", argv[1]);
        return 1;
    }
    return 0;
}
