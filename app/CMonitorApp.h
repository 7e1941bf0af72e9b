#pragma once

#include "app/AppState.h"
#include "app/DialogServices.h"

#include <QStringList>

// The application object: owns the state of the run and runs the start-up
// sequence (control dialog, then the main window; the program ends with it).
class CMonitorApp {
public:
    CMonitorApp() = default;
    explicit CMonitorApp(DialogServices& services) : services_(&services) {}

    // Start-up; returns the process exit status. `arguments` as from
    // QCoreApplication::arguments() (the program name first).
    int run(const QStringList& arguments);

    AppState& state() { return state_; }

    static QString usage();

private:
    AppState state_;
    QtDialogServices qtServices_;
    DialogServices* services_ = &qtServices_;
};
