// trelvane-log plot: the analysis view of one or more logs drawn into a PNG
// or SVG file, without a display.
#include "LogCommands.h"
#include "RangeOptions.h"

#include "CommandLine.h"
#include "TerminalProgress.h"
#include "analysis/AnalysisSession.h"
#include "analysis/PictureExport.h"

#include <QApplication>
#include <QFile>

#include <cstdio>

namespace {

std::optional<QSize> parseSize(const std::string& text)
{
    // At most five digits a side: the largest size fits, and stoi cannot overflow.
    const std::size_t x = text.find('x');
    if (x == std::string::npos || x == 0 || x > 5 || x + 1 == text.size() || text.size() - x - 1 > 5
        || text.find_first_not_of("0123456789x") != std::string::npos || text.find('x', x + 1) != std::string::npos)
        return std::nullopt;
    const int w = std::stoi(text.substr(0, x));
    const int h = std::stoi(text.substr(x + 1));
    if (w < 64 || h < 64 || w > kLargestPicture || h > kLargestPicture)
        return std::nullopt;
    return QSize(w, h);
}

} // namespace

int runPlot(int argc, const char* const* argv)
{
    cli::CommandLine line(
        std::string(kLogTool) + " plot", "FILE [MORE ...] -o OUT.png|OUT.svg [--size WxH] [--from H:MM:SS] [--to H:MM:SS] [--traces LIST]",
        "Draws the analysis view of the logs into a PNG or SVG file (by OUT's extension):\n"
        "one plot per kind of quantity, stacked on one time axis; several logs are\n"
        "overlaid aligned at their start, each in its own colour. No display is needed.",
        "Traces (--traces, comma-separated; default voltage,current,capacity,temperature):\n"
        "  voltage current capacity temperature cell1 ... cell8 cells spread power energy\n"
        "  charge (the current integrated over time, in mAh, beside the capacity).\n"
        "\n"
        "Exit status:\n"
        "  0  done\n"
        "  1  a log cannot be read or OUT cannot be written\n"
        "  2  the command line is wrong");
    line.option("output", 'o', "OUT", "the picture to write: a name ending in .png or .svg");
    line.option("size", 0, "WxH", "its size in pixels (default 1200x800; 64 to 8192 each way)");
    line.option("traces", 0, "LIST", "what to draw (see below)");
    rangeoptions::declare(line);
    line.positionals("FILE", 1, -1);
    if (!line.parse(argc, argv, 2))
        return line.exitCode();
    const std::optional<rangeoptions::Range> range = rangeoptions::parse(line);
    if (!range)
        return cli::kExitUsage;
    const std::string out = line.value("output");
    const bool svg = out.size() > 4 && out.compare(out.size() - 4, 4, ".svg") == 0;
    const bool png = out.size() > 4 && out.compare(out.size() - 4, 4, ".png") == 0;
    if (!svg && !png)
        return line.usageError("-o OUT.png or -o OUT.svg is needed");
    const std::optional<QSize> size = parseSize(line.value("size", "1200x800"));
    if (!size)
        return line.usageError("--size takes WIDTHxHEIGHT, 64 to 8192 pixels each, such as 1200x800");
    std::string bad;
    const std::optional<std::vector<Trace>> traces =
        line.isSet("traces") ? parseTraceList(line.value("traces"), &bad) : std::optional(basicTraces());
    if (!traces)
        return line.usageError("--traces: unknown trace \"" + bad + "\"");

    AnalysisSession session;
    for (const std::string& file : line.arguments()) {
        std::string error;
        TerminalProgress progress(kLogTool, file);
        const bool opened = session.open(file, error, [&](std::int64_t done, std::int64_t total) {
            progress.advance(done, total);
        });
        progress.finish();
        if (!opened) {
            cli::report(kLogTool, file, error);
            return cli::kExitFailure;
        }
    }
    TimeView& view = session.view();
    view.show(std::max(range->from, view.extentFrom()), std::min(range->to, view.extentTo()));

    // Drawing text and pictures needs a GUI application; without a display
    // the offscreen platform does it. Its notes about the session (no
    // runtime folder and the like) are no concern of a picture.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY")
        && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    int qtArgc = 1;
    char name[] = "trelvane-log";
    char* qtArgv[] = {name, nullptr};
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& message) {
        if (type == QtCriticalMsg || type == QtFatalMsg)
            std::fprintf(stderr, "%s: %s\n", kLogTool, qPrintable(message));
    });
    QApplication application(qtArgc, qtArgv);

    PictureRequest request;
    request.session = &session;
    request.traces = *traces;
    request.from = view.from();
    request.to = view.to();
    request.size = *size;
    QString error;
    if (!writePicture(QFile::decodeName(out.c_str()), request, &error)) {
        cli::report(kLogTool, out, error.toStdString());
        return cli::kExitFailure;
    }
    return cli::kExitOk;
}
