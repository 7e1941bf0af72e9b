// The Runs window offscreen: sorting, filtering by pack, opening two runs in
// the analysis window, assigning runs, and a pack's trend and warnings.
#include "analysis/AnalysisWindow.h"
#include "core/recording/TempDir.h"
#include "library/LaggingCharge.h"
#include "library/LibraryScan.h"
#include "library/RunTableModel.h"
#include "library/RunsWindow.h"
#include "library/TrendChart.h"

#include <gtest/gtest.h>

#include <QChart>
#include <QComboBox>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QLabel>
#include <QLineSeries>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QSortFilterProxyModel>
#include <QTableView>
#include <QTest>

#include <filesystem>

#include <sqlite3.h>

#include <fcntl.h>
#include <sys/stat.h>

namespace {

class RunsView : public ::testing::Test {
protected:
    static constexpr std::int64_t kFirstDay = 1'700'000'000;

    void SetUp() override
    {
        std::filesystem::create_directories(dir.file("logs"));
        // Capacities out of order of time; the last three fade.
        const int mah[] = {2200, 2180, 2210, 1700, 1650, 1600};
        for (int i = 0; i < 6; ++i) {
            writeLaggingCharge(path(i), mah[i], 300 + 60 * i, 10, i);
            // One charge a day: start times follow the file numbers.
            const timespec day[2] = {{kFirstDay + i * 86400, 0}, {kFirstDay + i * 86400, 0}};
            ASSERT_EQ(::utimensat(AT_FDCWD, path(i).c_str(), day, 0), 0);
        }
        RunLibrary library(db(), RunLibrary::Access::Write);
        LibraryScan(library).scan({dir.file("logs")});
        PackInfo pack;
        pack.name = "3S 2200 #2";
        const std::int64_t id = library.addPack(pack);
        std::vector<std::int64_t> first4;
        for (int i = 0; i < 4; ++i)
            first4.push_back(*library.runOfFile(libraryPathOf(path(i))));
        library.assign(first4, id);
    }
    std::string path(int i) const { return dir.file("logs/charge" + std::to_string(i) + ".tvr"); }
    std::string db() const { return dir.file("library.sqlite"); }

    // Capacity column of the table as shown, top to bottom.
    static std::vector<int> shownCapacities(const RunsWindow& w)
    {
        std::vector<int> out;
        const int column = w.model()->columnOf(RunColumn::Capacity);
        for (int row = 0; row < w.sorted()->rowCount(); ++row)
            out.push_back(w.sorted()->index(row, column).data().toString().toInt());
        return out;
    }

    TempDir dir;
};

TEST_F(RunsView, SortsByTheNumbersOfAColumnBothWays)
{
    RunsWindow window(QString::fromStdString(db()));
    window.show();
    ASSERT_EQ(window.sorted()->rowCount(), 6);
    const int capacity = window.model()->columnOf(RunColumn::Capacity);
    // A click on the header sorts; a second click reverses.
    const int x = window.table()->horizontalHeader()->sectionViewportPosition(capacity) + 5;
    QTest::mouseClick(window.table()->horizontalHeader()->viewport(), Qt::LeftButton, {}, QPoint(x, 5));
    const std::vector<int> up = shownCapacities(window);
    const std::vector<int> ascending = {1600, 1650, 1700, 2180, 2200, 2210};
    const std::vector<int> descending(ascending.rbegin(), ascending.rend());
    EXPECT_TRUE(up == ascending || up == descending) << "sorted as numbers";
    QTest::mouseClick(window.table()->horizontalHeader()->viewport(), Qt::LeftButton, {}, QPoint(x, 5));
    const std::vector<int> down = shownCapacities(window);
    EXPECT_EQ(down, std::vector<int>(up.rbegin(), up.rend()));
}

TEST_F(RunsView, FiltersByPackAndShowsTheTrendAndWarningsOfOne)
{
    RunsWindow window(QString::fromStdString(db()));
    window.show();
    EXPECT_FALSE(window.trend()->isEnabled()) << "no trend for all runs at once";
    window.packBox()->setCurrentIndex(RunsWindow::kWithoutPack);
    EXPECT_EQ(window.sorted()->rowCount(), 2);

    ASSERT_TRUE(window.showPack(QStringLiteral("3S 2200 #2")));
    EXPECT_EQ(window.sorted()->rowCount(), 4);
    EXPECT_TRUE(window.trend()->isEnabled());
    const QList<QAbstractSeries*> series = window.trend()->chart(TrendChart::Quantity::Capacity)->series();
    ASSERT_EQ(series.size(), 1); // charges only
    const auto* line = qobject_cast<QLineSeries*>(series.front());
    ASSERT_NE(line, nullptr);
    ASSERT_EQ(line->count(), 4);
    EXPECT_DOUBLE_EQ(line->at(0).y(), 2200);
    EXPECT_DOUBLE_EQ(line->at(3).y(), 1700);
    // 1700 of the first three's 2197: 77 %, below 80.
    EXPECT_TRUE(window.health()->toPlainText().contains(QStringLiteral("Capacity 1700 mAh (the last charge) is 77 %")))
        << window.health()->toPlainText().toStdString();
    EXPECT_TRUE(window.health()->toPlainText().contains(QStringLiteral("warns when the median")));
}

TEST_F(RunsView, OpensTwoSelectedRunsInTheAnalysisWindow)
{
    RunsWindow window(QString::fromStdString(db()));
    window.show();
    QSignalSpy opened(&window, &RunsWindow::openRequested);
    window.table()->selectRow(1);
    window.table()->selectionModel()->select(window.sorted()->index(4, 0),
                                             QItemSelectionModel::Select | QItemSelectionModel::Rows);
    QPushButton* open = nullptr;
    for (QPushButton* b : window.findChildren<QPushButton*>())
        open = b->text() == QStringLiteral("Open in analysis") ? b : open;
    ASSERT_NE(open, nullptr);
    QTest::mouseClick(open, Qt::LeftButton);
    ASSERT_EQ(opened.size(), 1);
    const QStringList paths = opened.front().front().toStringList();
    ASSERT_EQ(paths.size(), 2);
    // Sorted by start: the second and fifth charges.
    EXPECT_EQ(paths[0], QString::fromStdString(libraryPathOf(path(1))));
    EXPECT_EQ(paths[1], QString::fromStdString(libraryPathOf(path(4))));

    // Opened for real beside a main window: the analysis window belongs to it
    // and outlives the Runs window.
    QWidget main;
    QPointer<RunsWindow> runs = RunsWindow::openWindow(QString::fromStdString(db()), &main);
    runs->table()->selectRow(1);
    runs->table()->selectionModel()->select(runs->sorted()->index(4, 0),
                                            QItemSelectionModel::Select | QItemSelectionModel::Rows);
    ASSERT_TRUE(runs->openSelected());
    QPointer<AnalysisWindow> analysis = main.findChild<AnalysisWindow*>();
    ASSERT_FALSE(analysis.isNull());
    ASSERT_EQ(analysis->session().runCount(), 2u);
    EXPECT_EQ(analysis->session().run(0).data().size(), 360u); // the second charge's records
    EXPECT_EQ(analysis->session().run(1).data().size(), 540u);
    runs->close();
    QTest::qWait(0);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(runs.isNull());
    EXPECT_FALSE(analysis.isNull()) << "closed with the Runs window";
}

TEST_F(RunsView, ALibraryAnotherProgramHoldsKeepsTheWindowWaitingBrieflyAndSaysSo)
{
    RunsWindow window(QString::fromStdString(db()));
    ASSERT_EQ(window.sorted()->rowCount(), 6);
    // Another connection holds the write lock, as another program would.
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(db().c_str(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    window.table()->selectRow(0);
    QElapsedTimer clock;
    clock.start();
    const bool assigned = window.assignSelected(QStringLiteral("held"));
    const qint64 waited = clock.elapsed();
    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    EXPECT_FALSE(assigned);
    // A recording's tick waits as long on the same thread; the library's own wait is ten seconds.
    EXPECT_LT(waited, 5000);
    EXPECT_TRUE(window.status()->text().contains(QStringLiteral("in use by another program")))
        << window.status()->text().toStdString();
    EXPECT_TRUE(window.status()->text().contains(QStringLiteral("try again"))) << window.status()->text().toStdString();
    // Once it is free, the same works.
    window.table()->selectRow(0);
    EXPECT_TRUE(window.assignSelected(QStringLiteral("held")));
}

TEST_F(RunsView, AssignsSelectedRunsToANewPackAndTakesThemOutAgain)
{
    RunsWindow window(QString::fromStdString(db()));
    window.show();
    window.packBox()->setCurrentIndex(RunsWindow::kWithoutPack);
    ASSERT_EQ(window.sorted()->rowCount(), 2);
    window.table()->selectAll();
    ASSERT_TRUE(window.assignSelected(QStringLiteral("2S 800")));
    EXPECT_EQ(window.sorted()->rowCount(), 0) << "the filter stays on runs without a pack";
    ASSERT_TRUE(window.showPack(QStringLiteral("2S 800")));
    EXPECT_EQ(window.sorted()->rowCount(), 2);
    window.table()->selectRow(0);
    ASSERT_TRUE(window.assignSelected(QString()));
    EXPECT_EQ(window.sorted()->rowCount(), 1);
    EXPECT_EQ(window.status()->text(), QStringLiteral("1 run in %1").arg(QString::fromStdString(db())));
    window.packBox()->setCurrentIndex(RunsWindow::kAllRuns);
    EXPECT_EQ(window.status()->text(), QStringLiteral("6 runs in %1").arg(QString::fromStdString(db())));
}

TEST_F(RunsView, SaysPlainlyWhenTheLibraryCannotBeOpened)
{
    writeRecords(dir.file("not-a-folder"), {});
    RunsWindow window(QString::fromStdString(dir.file("not-a-folder/<b>library</b>.sqlite")));
    EXPECT_TRUE(window.status()->text().contains(QStringLiteral("not-a-folder")));
    EXPECT_EQ(window.status()->textFormat(), Qt::PlainText);
    EXPECT_EQ(window.sorted()->rowCount(), 0);
}

} // namespace
