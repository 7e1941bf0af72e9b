#include "library/RunsWindow.h"

#include "analysis/AnalysisWindow.h"
#include "library/LibraryError.h"
#include "library/PackHealth.h"
#include "library/RunTableModel.h"
#include "library/TrendChart.h"

#include <QComboBox>
#include <QFile>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QInputDialog>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QSplitter>
#include <QTableView>
#include <QVBoxLayout>

namespace {

constexpr int kPackIdRole = Qt::UserRole;

QString text(const std::string& s)
{
    return QString::fromStdString(s);
}

} // namespace

RunsWindow::RunsWindow(QString libraryPath, QWidget* parent)
    : QWidget(parent), libraryPath_(std::move(libraryPath))
{
    setWindowTitle(QStringLiteral("Runs - Trelvane"));
    resize(1100, 760);

    packBox_ = new QComboBox(this);
    packBox_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    openButton_ = new QPushButton(QStringLiteral("Open in analysis"), this);
    openButton_->setToolTip(QStringLiteral("Compare the selected runs in the analysis window"));
    assignButton_ = new QPushButton(QStringLiteral("Assign to pack..."), this);
    auto* reloadButton = new QPushButton(QStringLiteral("Reload"), this);

    model_ = new RunTableModel(this);
    sorted_ = new QSortFilterProxyModel(this);
    sorted_->setSourceModel(model_);
    sorted_->setSortRole(RunTableModel::kSortRole);
    table_ = new QTableView(this);
    table_->setModel(sorted_);
    table_->setSortingEnabled(true);
    table_->sortByColumn(model_->columnOf(RunColumn::Start), Qt::AscendingOrder);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    table_->verticalHeader()->hide();
    table_->horizontalHeader()->setStretchLastSection(true);

    trend_ = new TrendChart(this);
    health_ = new QPlainTextEdit(this);
    health_->setReadOnly(true);
    status_ = new QLabel(this);
    status_->setTextFormat(Qt::PlainText); // paths and reasons are never markup
    status_->setWordWrap(true);

    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel(QStringLiteral("Pack:"), this));
    top->addWidget(packBox_);
    top->addStretch();
    top->addWidget(openButton_);
    top->addWidget(assignButton_);
    top->addWidget(reloadButton);

    auto* bottom = new QSplitter(Qt::Horizontal, this);
    bottom->addWidget(trend_);
    bottom->addWidget(health_);
    bottom->setSizes({620, 480}); // the charts need the room more than the text
    auto* split = new QSplitter(Qt::Vertical, this);
    split->addWidget(table_);
    split->addWidget(bottom);
    split->setSizes({300, 460});

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(split, 1);
    layout->addWidget(status_);

    connect(packBox_, &QComboBox::currentIndexChanged, this, &RunsWindow::showRuns);
    connect(openButton_, &QPushButton::clicked, this, &RunsWindow::openSelected);
    connect(assignButton_, &QPushButton::clicked, this, &RunsWindow::chooseAndAssign);
    connect(reloadButton, &QPushButton::clicked, this, &RunsWindow::reload);
    connect(table_, &QTableView::doubleClicked, this, &RunsWindow::openSelected);
    reload();
}

RunsWindow::~RunsWindow() = default;

RunsWindow* RunsWindow::openWindow(const QString& libraryPath, QWidget* parent)
{
    auto* window = new RunsWindow(libraryPath, parent);
    window->setWindowFlag(Qt::Window);
    window->setAttribute(Qt::WA_DeleteOnClose);
    // The analysis windows belong to the parent, not to this window: they
    // stay open when it closes.
    connect(window, &RunsWindow::openRequested, window,
            [parent](const QStringList& paths) { AnalysisWindow::openWindow(paths, parent); });
    window->show();
    return window;
}

bool RunsWindow::ensureOpen()
{
    if (library_)
        return true;
    try {
        library_ = std::make_unique<RunLibrary>(QFile::encodeName(libraryPath_).toStdString(), RunLibrary::Access::Write,
                                                kBusyTimeoutMs);
        return true;
    } catch (const LibraryError& e) {
        fail(QFile::decodeName(e.subject().c_str()), text(e.reason()));
        return false;
    }
}

void RunsWindow::fail(const QString& what, const QString& reason)
{
    status_->setText(what + QStringLiteral(": ") + reason);
}

void RunsWindow::reload()
{
    if (!ensureOpen())
        return;
    const qlonglong chosen = packBox_->currentData(kPackIdRole).toLongLong();
    const int chosenIndex = packBox_->currentIndex();
    try {
        packs_ = library_->packs();
    } catch (const LibraryError& e) {
        fail(QFile::decodeName(e.subject().c_str()), text(e.reason()));
        return;
    }
    {
        const QSignalBlocker quiet(packBox_);
        packBox_->clear();
        packBox_->addItem(QStringLiteral("All runs"), qlonglong{0});
        packBox_->addItem(QStringLiteral("Runs without a pack"), qlonglong{0});
        int keep = chosenIndex == kWithoutPack ? kWithoutPack : kAllRuns;
        for (const PackInfo& pack : packs_) {
            packBox_->addItem(text(pack.name), qlonglong{pack.id});
            if (chosenIndex > kWithoutPack && pack.id == chosen)
                keep = packBox_->count() - 1;
        }
        packBox_->setCurrentIndex(keep);
    }
    showRuns();
}

bool RunsWindow::showPack(const QString& name)
{
    const int found = packBox_->findText(name, Qt::MatchExactly);
    if (found <= kWithoutPack)
        return false;
    packBox_->setCurrentIndex(found);
    return true;
}

void RunsWindow::showRuns()
{
    if (!library_)
        return;
    const int index = packBox_->currentIndex();
    std::optional<PackInfo> pack;
    if (index > kWithoutPack)
        pack = packs_[static_cast<std::size_t>(index - 2)];
    std::vector<LibraryRun> runs;
    try {
        runs = library_->runs(pack ? std::optional<std::int64_t>(pack->id) : std::nullopt);
    } catch (const LibraryError& e) {
        fail(QFile::decodeName(e.subject().c_str()), text(e.reason()));
        return;
    }
    if (index == kWithoutPack)
        std::erase_if(runs, [](const LibraryRun& r) { return r.packId.has_value(); });
    std::vector<PackRun> history;
    for (const LibraryRun& r : runs)
        history.push_back(r.packRun());
    model_->setRuns(std::move(runs));
    showHealth(pack, history);
    const int count = model_->rowCount();
    const QString shown = count == 1 ? QStringLiteral("1 run") : QStringLiteral("%1 runs").arg(count);
    status_->setText(QStringLiteral("%1 in %2").arg(shown, libraryPath_));
}

void RunsWindow::showHealth(const std::optional<PackInfo>& pack, const std::vector<PackRun>& runs)
{
    trend_->setHistory(pack ? runs : std::vector<PackRun>{});
    trend_->setEnabled(pack.has_value());
    if (!pack) {
        health_->setPlainText(QStringLiteral("Choose a pack to see its trend over its runs and its health warnings."));
        return;
    }
    QString report;
    const std::vector<HealthWarning> warnings = checkPack(*pack, runs);
    report += warnings.empty() ? QStringLiteral("No warnings for \"%1\".\n").arg(text(pack->name))
                               : QStringLiteral("Warnings for \"%1\":\n").arg(text(pack->name));
    for (const HealthWarning& w : warnings)
        report += QStringLiteral("\u26A0 ") + text(w.text) + QLatin1Char('\n');
    report += QStringLiteral("\nThresholds (change them with trelvane-library pack set):\n");
    for (const std::string& line : explainThresholds(*pack, thresholdsFor(pack->thresholds, packChemistry(runs))))
        report += QStringLiteral("\u2022 ") + text(line) + QLatin1Char('\n');
    if (!pack->notes.empty())
        report += QStringLiteral("\nNotes: ") + text(pack->notes) + QLatin1Char('\n');
    health_->setPlainText(report);
}

std::vector<std::int64_t> RunsWindow::selectedIds() const
{
    std::vector<std::int64_t> ids;
    QModelIndexList rows = table_->selectionModel()->selectedRows();
    std::sort(rows.begin(), rows.end(), [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
    for (const QModelIndex& row : rows)
        ids.push_back(row.data(RunTableModel::kRunIdRole).toLongLong());
    return ids;
}

QStringList RunsWindow::selectedPaths() const
{
    QStringList paths;
    QModelIndexList rows = table_->selectionModel()->selectedRows();
    std::sort(rows.begin(), rows.end(), [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
    for (const QModelIndex& row : rows) {
        const LibraryRun& run = model_->runAt(sorted_->mapToSource(row).row());
        if (!run.path.empty())
            paths << QFile::decodeName(run.path.c_str());
    }
    return paths;
}

bool RunsWindow::openSelected()
{
    const QStringList paths = selectedPaths();
    if (paths.isEmpty()) {
        status_->setText(QStringLiteral("Select runs whose log files are known to open them."));
        return false;
    }
    emit openRequested(paths);
    return true;
}

bool RunsWindow::assignSelected(const QString& packName)
{
    const std::vector<std::int64_t> ids = selectedIds();
    if (ids.empty() || !ensureOpen())
        return false;
    try {
        std::optional<std::int64_t> pack;
        if (!packName.isEmpty()) {
            const std::string name = packName.toStdString();
            const std::optional<PackInfo> known = library_->findPack(name);
            if (known) {
                pack = known->id;
            } else {
                PackInfo added;
                added.name = name;
                pack = library_->addPack(added);
            }
        }
        library_->assign(ids, pack);
    } catch (const LibraryError& e) {
        fail(text(e.subject()), text(e.reason()));
        return false;
    }
    reload();
    return true;
}

void RunsWindow::chooseAndAssign()
{
    if (selectedIds().empty()) {
        status_->setText(QStringLiteral("Select the runs to assign first."));
        return;
    }
    QStringList names;
    for (const PackInfo& pack : packs_)
        names << text(pack.name);
    bool ok = false;
    const QString name = QInputDialog::getItem(this, QStringLiteral("Assign to pack"),
                                               QStringLiteral("Pack (type a new name to add one; empty for none):"),
                                               names, 0, true, &ok);
    if (ok)
        assignSelected(name.trimmed());
}
