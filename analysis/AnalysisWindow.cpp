#include "analysis/AnalysisWindow.h"

#include "analysis/PictureExport.h"
#include "analysis/PlotView.h"
#include "analysis/RangeCsv.h"
#include "analysis/StatsReport.h"
#include "controls/PlainMessageBox.h"
#include "controls/PlainToolTip.h"

#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPixmap>
#include <QPushButton>
#include <QShortcut>
#include <QSpinBox>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

using Cursor = AnalysisSession::Cursor;

constexpr int kLargeCursorStep = 60; // samples, with Shift
constexpr int kSwatch = 12;

const char* const kHint = "Wheel: zoom \u00b7 drag: pan \u00b7 right-drag: zoom to a box \u00b7 click / right-click: "
                          "cursor A / B \u00b7 A, B, \u2190 \u2192, Home, End: move a cursor \u00b7 R: whole run \u00b7 "
                          "Ctrl+W: close";

QString plain(const std::string& text)
{
    return QString::fromStdString(text);
}

QTableWidgetItem* cell(const QString& text, bool number = true)
{
    auto* item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    if (number)
        item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return item;
}

} // namespace

AnalysisWindow::AnalysisWindow(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setAttribute(Qt::WA_DeleteOnClose, false);
    setWindowTitle(QStringLiteral("Analysis - Trelvane"));
    resize(1280, 820);

    auto* buttons = new QHBoxLayout;
    const auto button = [&](const QString& text, void (AnalysisWindow::*slot)()) {
        auto* b = new QPushButton(text, this);
        b->setFocusPolicy(Qt::TabFocus);
        connect(b, &QPushButton::clicked, this, slot);
        buttons->addWidget(b);
        return b;
    };
    button(QStringLiteral("Open..."), &AnalysisWindow::chooseAndOpen);
    button(QStringLiteral("Whole run"), &AnalysisWindow::resetZoom);
    button(QStringLiteral("Align at start"), &AnalysisWindow::alignAtStart);
    button(QStringLiteral("Move run: B onto A"), &AnalysisWindow::alignAtCursors)
        ->setToolTip(QStringLiteral("Shifts the chosen run so that its sample at cursor B lies at cursor A"));
    button(QStringLiteral("Export picture..."), &AnalysisWindow::chooseAndExportPicture);
    button(QStringLiteral("Export CSV..."), &AnalysisWindow::chooseAndExportCsv);
    buttons->addStretch();

    auto* traces = new QHBoxLayout;
    const std::vector<Trace> basic = basicTraces();
    for (std::size_t t = 0; t < kTraceCount; ++t) {
        auto* box = new QCheckBox(QString::fromUtf8(traceInfo(traceAt(t)).label), this);
        box->setFocusPolicy(Qt::TabFocus);
        box->setChecked(std::find(basic.begin(), basic.end(), traceAt(t)) != basic.end());
        connect(box, &QCheckBox::toggled, this, [this] {
            stack_.setTraces(chosenTraces());
            redraw();
        });
        boxes_[t] = box;
        traces->addWidget(box);
    }
    traces->addStretch();

    view_ = new PlotView(stack_, this);
    view_->installEventFilter(this);
    runList_ = new QListWidget(this);
    runList_->setMaximumHeight(90);
    table_ = new QTableWidget(0, 6, this);
    table_->setHorizontalHeaderLabels({QStringLiteral("Quantity"), QStringLiteral("A"), QStringLiteral("B"),
                                       QStringLiteral("B - A"), QStringLiteral("Minimum"), QStringLiteral("Maximum")});
    aggregates_ = new QTableWidget(0, 2, this);
    aggregates_->setHorizontalHeaderLabels({QStringLiteral("Between A and B"), QString()});
    for (QTableWidget* t : {table_, aggregates_}) {
        t->verticalHeader()->hide();
        t->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
        t->horizontalHeader()->setStretchLastSection(true);
        t->setFocusPolicy(Qt::NoFocus);
    }

    auto* side = new QWidget(this);
    auto* sideLayout = new QVBoxLayout(side);
    sideLayout->setContentsMargins(0, 0, 0, 0);
    sideLayout->addWidget(new QLabel(QStringLiteral("Runs (the chosen one carries the cursors)"), side));
    sideLayout->addWidget(runList_);
    sideLayout->addWidget(table_, 3);
    sideLayout->addWidget(aggregates_, 2);
    auto* splitter = new QSplitter(this);
    splitter->addWidget(view_);
    splitter->addWidget(side);
    splitter->setStretchFactor(0, 1);
    splitter->setSizes({840, 540});

    status_ = new QLabel(QString::fromUtf8(kHint), this);
    status_->setTextFormat(Qt::PlainText);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addLayout(traces);
    layout->addWidget(splitter, 1);
    layout->addWidget(status_);

    connect(runList_, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0) {
            session_.setCurrentRun(static_cast<std::size_t>(row));
            redraw();
        }
    });
    connect(view_, &PlotView::resized, this, [this](QSize size) {
        stack_.setSize(size);
        redraw();
    });
    connect(view_, &PlotView::zoomAt, this, [this](double at, double factor) {
        session_.view().zoom(at, factor);
        redraw();
    });
    connect(view_, &PlotView::panBy, this, [this](double seconds) {
        session_.view().pan(seconds);
        redraw();
    });
    connect(view_, &PlotView::boxChosen, this, [this](int plot, double t0, double t1, double v0, double v1) {
        session_.view().show(t0, t1);
        stack_.setValueRange(plot, AxisSpan{std::min(v0, v1), std::max(v0, v1)});
        redraw();
    });
    connect(view_, &PlotView::cursorAt, this, [this](Cursor cursor, double time) {
        activeCursor_ = cursor;
        session_.placeCursor(cursor, time);
        redraw();
    });

    auto* close = new QShortcut(QKeySequence::Close, this);
    connect(close, &QShortcut::activated, this, &QWidget::close);

    followTimer_.setInterval(kFollowMs);
    connect(&followTimer_, &QTimer::timeout, this, &AnalysisWindow::follow);
    followTimer_.start();
    stack_.setTraces(chosenTraces());
    stack_.setSize(view_->viewport()->size());
}

AnalysisWindow::~AnalysisWindow() = default;

AnalysisWindow* AnalysisWindow::openWindow(const QStringList& paths, QWidget* parent)
{
    auto* window = new AnalysisWindow(parent);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->show();
    window->openFiles(paths);
    return window;
}

bool AnalysisWindow::openFile(const QString& path)
{
    std::string error;
    if (!session_.open(QFile::encodeName(path).toStdString(), error)) {
        warn(QStringLiteral("Cannot open log file \"%1\"").arg(path), plain(error));
        return false;
    }
    rebuildRuns();
    updateTraceBoxes();
    redraw();
    return true;
}

void AnalysisWindow::openFiles(const QStringList& paths)
{
    for (const QString& path : paths)
        openFile(path);
}

void AnalysisWindow::warn(const QString& text, const QString& detail)
{
    // Not modal: the window may be following a recording.
    auto* box = new PlainMessageBox(QMessageBox::Warning, text, detail, QMessageBox::Ok, this);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setModal(false);
    box->show();
}

std::vector<Trace> AnalysisWindow::chosenTraces() const
{
    std::vector<Trace> out;
    for (std::size_t t = 0; t < kTraceCount; ++t) {
        if (boxes_[t] && boxes_[t]->isChecked())
            out.push_back(traceAt(t));
    }
    return out;
}

void AnalysisWindow::setTraceShown(Trace trace, bool shown)
{
    boxes_[index(trace)]->setChecked(shown);
}

bool AnalysisWindow::traceShown(Trace trace) const
{
    return boxes_[index(trace)]->isChecked();
}

void AnalysisWindow::rebuildRuns()
{
    std::vector<PlotRun> runs;
    runList_->blockSignals(true);
    runList_->clear();
    for (std::size_t r = 0; r < session_.runCount(); ++r) {
        const AnalysisRun& run = session_.run(r);
        const QString name = QFile::decodeName(run.name().c_str());
        runs.push_back({&run.data(), name, session_.offset(r)});
        QPixmap swatch(kSwatch, kSwatch);
        swatch.fill(session_.runCount() > 1 ? PlotStack::runColour(static_cast<int>(r)) : QColor(Qt::black));
        auto* item = new QListWidgetItem(QIcon(swatch), name, runList_);
        item->setToolTip(plainToolTip(QFile::decodeName(run.path().c_str())));
    }
    runList_->setCurrentRow(static_cast<int>(session_.currentRun()));
    runList_->blockSignals(false);
    stack_.setRuns(std::move(runs));
    updatePresence();
}

void AnalysisWindow::updateTraceBoxes()
{
    // Cells show a box once some run has read them.
    for (std::size_t t = 0; t < kTraceCount; ++t) {
        const Trace trace = traceAt(t);
        const bool offered = !(isCell(trace) || trace == Trace::CellSpread) || present_[t];
        boxes_[t]->setVisible(offered);
    }
}

void AnalysisWindow::follow()
{
    const bool changed = session_.refresh();
    // A file that cannot be read any more leaves its plots as they were:
    // the status line says so until it can be read again.
    if (session_.followFailure() != followFailure_) {
        followFailure_ = session_.followFailure();
        status_->setText(followFailure_.empty()
                             ? QString::fromUtf8(kHint)
                             : QStringLiteral("Cannot read %1 any more; the plots show what was read before.")
                                   .arg(QFile::decodeName(followFailure_.c_str())));
    }
    if (!changed)
        return;
    // The plots keep pointing at the runs' data; they are built anew only
    // when a run gained a trace (a cell that starts to read), so a zoom box
    // survives the records arriving.
    const std::array<bool, kTraceCount> before = present_;
    updatePresence();
    if (before != present_) {
        rebuildRuns();
        updateTraceBoxes();
    }
    redraw();
}

void AnalysisWindow::updatePresence()
{
    std::fill(present_.begin(), present_.end(), false);
    for (std::size_t r = 0; r < session_.runCount(); ++r) {
        for (std::size_t t = 0; t < kTraceCount; ++t)
            present_[t] = present_[t] || session_.run(r).data().has(traceAt(t));
    }
}

void AnalysisWindow::resetZoom()
{
    session_.view().reset();
    stack_.clearValueRanges();
    redraw();
}

void AnalysisWindow::alignAtStart()
{
    session_.alignAtStart();
    rebuildRuns();
    redraw();
}

void AnalysisWindow::alignAtCursors()
{
    if (!session_.alignAtCursors()) {
        status_->setText(QStringLiteral("Place cursors A and B first."));
        return;
    }
    rebuildRuns();
    redraw();
}

void AnalysisWindow::redraw()
{
    const TimeView& view = session_.view();
    stack_.setTimeRange(view.from(), view.to());
    stack_.setCursors(session_.cursorTime(Cursor::A), session_.cursorTime(Cursor::B));
    stack_.refresh();
    updateTables();
}

void AnalysisWindow::updateTables()
{
    std::vector<std::size_t> shows = {session_.currentRun(), session_.cursorSample(Cursor::A).value_or(SIZE_MAX),
                                      session_.cursorSample(Cursor::B).value_or(SIZE_MAX), session_.generation()};
    for (Trace t : chosenTraces())
        shows.push_back(index(t));
    if (shows == tablesShow_)
        return;
    tablesShow_ = std::move(shows);

    const std::optional<RangeStats> stats = session_.stats();
    const std::optional<double> a = session_.cursorTime(Cursor::A);
    const std::optional<double> b = session_.cursorTime(Cursor::B);
    table_->setHorizontalHeaderItem(1, cell(a ? QStringLiteral("A %1").arg(plain(clockText(*a))) : QStringLiteral("A (start)"), false));
    table_->setHorizontalHeaderItem(2, cell(b ? QStringLiteral("B %1").arg(plain(clockText(*b))) : QStringLiteral("B (end)"), false));
    table_->setRowCount(0);
    aggregates_->setRowCount(0);
    if (!stats)
        return;
    for (Trace trace : chosenTraces()) {
        const RangeStats::TraceValues& v = stats->traces[index(trace)];
        if (!v.shown)
            continue;
        const TraceInfo& info = traceInfo(trace);
        const int row = table_->rowCount();
        table_->insertRow(row);
        const int d = info.decimals + 1;
        table_->setItem(row, 0, cell(QStringLiteral("%1 (%2)").arg(QString::fromUtf8(info.label), QString::fromUtf8(info.unit)), false));
        table_->setItem(row, 1, cell(plain(formatValue(v.atA, d))));
        table_->setItem(row, 2, cell(plain(formatValue(v.atB, d))));
        table_->setItem(row, 3, cell(plain(formatValue(v.atB - v.atA, d))));
        table_->setItem(row, 4, cell(plain(formatValue(v.extent.empty() ? NAN : v.extent.minimum, d))));
        table_->setItem(row, 5, cell(plain(formatValue(v.extent.empty() ? NAN : v.extent.maximum, d))));
    }
    for (const Aggregate& agg : aggregates(*stats)) {
        const int row = aggregates_->rowCount();
        aggregates_->insertRow(row);
        aggregates_->setItem(row, 0, cell(QString::fromUtf8(agg.label), false));
        aggregates_->setItem(row, 1, cell(plain(formatAggregate(agg))));
    }
}

bool AnalysisWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == view_ && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (handleKey(key->key(), key->modifiers()))
            return true;
    }
    return QWidget::eventFilter(watched, event);
}

bool AnalysisWindow::handleKey(int key, Qt::KeyboardModifiers modifiers)
{
    const long step = modifiers & Qt::ShiftModifier ? kLargeCursorStep : 1;
    const TimeView& view = session_.view();
    switch (key) {
    case Qt::Key_A: activeCursor_ = Cursor::A; return true;
    case Qt::Key_B: activeCursor_ = Cursor::B; return true;
    case Qt::Key_Left: session_.stepCursor(activeCursor_, -step); break;
    case Qt::Key_Right: session_.stepCursor(activeCursor_, step); break;
    case Qt::Key_Home: session_.cursorToEnd(activeCursor_, false); break;
    case Qt::Key_End: session_.cursorToEnd(activeCursor_, true); break;
    case Qt::Key_Plus:
    case Qt::Key_Equal: session_.view().zoom((view.from() + view.to()) / 2, kKeyZoom); break;
    case Qt::Key_Minus: session_.view().zoom((view.from() + view.to()) / 2, 1 / kKeyZoom); break;
    case Qt::Key_R:
    case Qt::Key_0: resetZoom(); return true;
    default: return false;
    }
    redraw();
    return true;
}

void AnalysisWindow::chooseAndOpen()
{
    const QStringList paths = QFileDialog::getOpenFileNames(this, QStringLiteral("Analyse log"), QString(),
                                                            QStringLiteral("tvr(*.tvr);;All files(*)"));
    openFiles(paths);
}

void AnalysisWindow::chooseAndExportPicture()
{
    QDialog ask(this);
    ask.setWindowTitle(QStringLiteral("Export picture"));
    auto* width = new QSpinBox(&ask);
    auto* height = new QSpinBox(&ask);
    for (QSpinBox* box : {width, height})
        box->setRange(64, kLargestPicture);
    width->setValue(view_->viewport()->width());
    height->setValue(view_->viewport()->height());
    auto* form = new QFormLayout(&ask);
    form->addRow(QStringLiteral("Width (pixels)"), width);
    form->addRow(QStringLiteral("Height (pixels)"), height);
    auto* ok = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &ask);
    form->addRow(ok);
    connect(ok, &QDialogButtonBox::accepted, &ask, &QDialog::accept);
    connect(ok, &QDialogButtonBox::rejected, &ask, &QDialog::reject);
    if (ask.exec() != QDialog::Accepted)
        return;
    QString filter;
    const QString path = pictureFileName(QFileDialog::getSaveFileName(this, QStringLiteral("Export picture"), QString(),
                                                                      QStringLiteral("PNG(*.png);;SVG(*.svg)"), &filter),
                                         filter);
    QString error;
    if (!path.isEmpty() && !exportPicture(path, QSize(width->value(), height->value()), &error))
        warn(QStringLiteral("Cannot write \"%1\"").arg(path), error);
}

void AnalysisWindow::chooseAndExportCsv()
{
    const bool cursors = session_.cursorSample(Cursor::A) && session_.cursorSample(Cursor::B);
    const QString path = QFileDialog::getSaveFileName(this, QStringLiteral("Export CSV"), QString(),
                                                      QStringLiteral("CSV(*.csv)"));
    QString error;
    // The reason names the file that failed: the log read or the CSV written.
    if (!path.isEmpty() && !exportCsv(path, !cursors, &error))
        warn(QStringLiteral("Cannot export the CSV"), error);
}

bool AnalysisWindow::exportPicture(const QString& path, QSize size, QString* error)
{
    PictureRequest request;
    request.session = &session_;
    request.traces = chosenTraces();
    request.from = session_.view().from();
    request.to = session_.view().to();
    request.cursorA = session_.cursorTime(Cursor::A);
    request.cursorB = session_.cursorTime(Cursor::B);
    for (int p = 0; p < stack_.plotCount(); ++p)
        request.valueRanges.push_back(stack_.fixedValueRange(p));
    request.size = size;
    return writePicture(path, request, error);
}

bool AnalysisWindow::exportCsv(const QString& path, bool all, QString* error)
{
    const bool empty = session_.runCount() == 0 || session_.run(session_.currentRun()).data().empty();
    if (empty) {
        if (error)
            *error = QStringLiteral("No records to write");
        return false;
    }
    const AnalysisRun& run = session_.run(session_.currentRun());
    std::size_t first = 0;
    std::size_t last = run.data().size() - 1;
    const std::optional<std::size_t> a = session_.cursorSample(Cursor::A);
    const std::optional<std::size_t> b = session_.cursorSample(Cursor::B);
    if (!all && a && b) {
        first = std::min(*a, *b);
        last = std::max(*a, *b);
    }
    std::string why;
    if (!writeCsvRange(run.path(), first, last, QFile::encodeName(path).toStdString(), why)) {
        if (error)
            *error = plain(why);
        return false;
    }
    return true;
}
