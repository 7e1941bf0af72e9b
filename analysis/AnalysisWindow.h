#pragma once

#include "analysis/AnalysisSession.h"
#include "analysis/PlotStack.h"

#include <QSize>
#include <QTimer>
#include <QWidget>

#include <array>

class PlotView;
class QCheckBox;
class QLabel;
class QListWidget;
class QTableWidget;

// The run analysis window: every record of one or more logs in stacked
// plots with a shared time axis, zoom and pan, two cursors with the figures
// between them, runs compared side by side, and export of the picture and of
// the records. Logs that are still being recorded are followed.
class AnalysisWindow : public QWidget {
    Q_OBJECT
public:
    static constexpr int kFollowMs = 500; // the recording appends once a second
    static constexpr double kKeyZoom = 0.5;

    explicit AnalysisWindow(QWidget* parent = nullptr);
    ~AnalysisWindow() override;

    // Opens logs; a file that cannot be read is reported and left out.
    bool openFile(const QString& path);
    void openFiles(const QStringList& paths);

    // A new window for these logs, deleted when closed; a child window of
    // `parent` (so that a modal parent does not block it) when one is given.
    static AnalysisWindow* openWindow(const QStringList& paths, QWidget* parent = nullptr);

    void setTraceShown(Trace trace, bool shown);
    bool traceShown(Trace trace) const;

    // Writes the view at `size` as PNG or SVG (by the file's extension).
    bool exportPicture(const QString& path, QSize size, QString* error = nullptr);
    // Writes the records between the cursors (all of them with `all`) as CSV.
    bool exportCsv(const QString& path, bool all, QString* error = nullptr);

    AnalysisSession& session() { return session_; }
    PlotStack& plots() { return stack_; }
    PlotView* view() const { return view_; }
    QTableWidget* table() const { return table_; }
    QTableWidget* aggregatesTable() const { return aggregates_; }
    QCheckBox* traceBox(Trace trace) const { return boxes_[index(trace)]; }
    QListWidget* runList() const { return runList_; }
    QLabel* statusLabel() const { return status_; }

    // Takes in what the followed files gained (the follow timer calls this).
    void follow();
    void resetZoom();
    void redraw();
    void alignAtStart();
    // Shifts the run that carries the cursors so that its sample at B lies at A.
    void alignAtCursors();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void chooseAndOpen();
    void chooseAndExportPicture();
    void chooseAndExportCsv();
    void rebuildRuns();
    void updateTraceBoxes();
    void updatePresence();
    void updateTables();
    void warn(const QString& text, const QString& detail);
    bool handleKey(int key, Qt::KeyboardModifiers modifiers);
    std::vector<Trace> chosenTraces() const;

    AnalysisSession session_;
    PlotStack stack_;
    PlotView* view_ = nullptr;
    QTableWidget* table_ = nullptr;
    QTableWidget* aggregates_ = nullptr;
    QListWidget* runList_ = nullptr;
    QLabel* status_ = nullptr;
    std::string followFailure_; // as shown in the status line
    std::array<QCheckBox*, kTraceCount> boxes_{};
    std::array<bool, kTraceCount> present_{};
    AnalysisSession::Cursor activeCursor_ = AnalysisSession::Cursor::A;
    // What the tables were last filled from: a pan or zoom changes none of it.
    std::vector<std::size_t> tablesShow_;
    QTimer followTimer_;
};
