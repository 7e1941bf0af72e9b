#pragma once

#include "library/RunLibrary.h"

#include <QString>
#include <QStringList>
#include <QWidget>

#include <memory>
#include <optional>

class QComboBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QSortFilterProxyModel;
class QTableView;
class RunTableModel;
class TrendChart;

// The run library in a window: the runs in a table that sorts by any column,
// a filter by pack, runs opened in the analysis window to compare them, runs
// assigned to a pack, and for a chosen pack its trend and health warnings
// with the thresholds explained.
class RunsWindow : public QWidget {
    Q_OBJECT
public:
    // The pack filter's first two entries; then one per pack.
    static constexpr int kAllRuns = 0;
    static constexpr int kWithoutPack = 1;
    // How long a library another program holds may keep this window waiting:
    // a recording's tick runs on the same thread, so the wait stays short and
    // the reason says to try again.
    static constexpr int kBusyTimeoutMs = 1000;

    explicit RunsWindow(QString libraryPath, QWidget* parent = nullptr);
    ~RunsWindow() override;

    // A new window on the library, deleted when closed; a child window of
    // `parent` (so that a modal parent does not block it) when one is given.
    static RunsWindow* openWindow(const QString& libraryPath, QWidget* parent = nullptr);

    // Reads the library again (it may have changed under us).
    void reload();
    // Shows the runs of one pack by name; false when there is no such pack.
    bool showPack(const QString& name);
    // Log files of the selected runs that have one, in table order.
    QStringList selectedPaths() const;
    // Asks for the analysis window with the selected runs; false when none has a file.
    bool openSelected();
    // Assigns the selected runs to a pack, made when new; "" takes them out of theirs.
    bool assignSelected(const QString& packName);

    QTableView* table() const { return table_; }
    RunTableModel* model() const { return model_; }
    QSortFilterProxyModel* sorted() const { return sorted_; }
    QComboBox* packBox() const { return packBox_; }
    TrendChart* trend() const { return trend_; }
    QPlainTextEdit* health() const { return health_; }
    QLabel* status() const { return status_; }

signals:
    void openRequested(const QStringList& paths);

private:
    void chooseAndAssign();
    void showRuns();
    void showHealth(const std::optional<PackInfo>& pack, const std::vector<PackRun>& runs);
    void fail(const QString& what, const QString& reason);
    std::vector<std::int64_t> selectedIds() const;
    bool ensureOpen();

    QString libraryPath_;
    std::unique_ptr<RunLibrary> library_;
    std::vector<PackInfo> packs_;
    RunTableModel* model_ = nullptr;
    QSortFilterProxyModel* sorted_ = nullptr;
    QTableView* table_ = nullptr;
    QComboBox* packBox_ = nullptr;
    QPushButton* openButton_ = nullptr;
    QPushButton* assignButton_ = nullptr;
    TrendChart* trend_ = nullptr;
    QPlainTextEdit* health_ = nullptr;
    QLabel* status_ = nullptr;
};
