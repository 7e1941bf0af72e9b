#include "library/RunsWindow.h"

// The analysis window lives in its own part of the program; where a build
// has it, the Runs window opens runs there.
#if __has_include("analysis/AnalysisWindow.h")
#include "analysis/AnalysisWindow.h"

bool openInAnalysisWindow(const QStringList& paths, QWidget* parent)
{
    AnalysisWindow::openWindow(paths, parent);
    return true;
}
#else
bool openInAnalysisWindow(const QStringList&, QWidget*)
{
    return false;
}
#endif
