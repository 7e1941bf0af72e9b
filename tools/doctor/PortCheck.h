#pragma once

#include "doctor/DeviceAccess.h"
#include "doctor/LineVerdict.h"
#include "doctor/PortHolders.h"
#include "doctor/PortListener.h"
#include "doctor/PortSurvey.h"
#include "doctor/StreamAnalysis.h"

#include <QJsonObject>
#include <QString>

#include <cstdio>
#include <optional>

// One port as the doctor sees it: what it is, whether this user may read it,
// who else has it open, and the exit status that sums it up.
struct PortCheck {
    QString label;                    // "COM7", or the path asked about
    QString path;                     // the path that leads to it
    QStringList candidates;           // for COMn: where the monitor looks for it
    std::optional<SurveyedPort> port; // nothing when the path leads nowhere
    DeviceAccess access;
    PortHolders holders;
    int status = DoctorExit::kOk;
    std::string problem;              // one line when the status is not 0
};

// The result of listening to a port.
struct ListenReport {
    PortListener::Capture capture;
    StreamAnalysis analysis;
    LineVerdict verdict;
};

// Checks the port behind `path` (its survey entry, access, holders).
PortCheck checkPort(const PortSurvey& survey, const QString& label, const QString& path);
// COMn as the monitor names it.
PortCheck checkMonitorPort(const PortSurvey& survey, int n);

// The status that best describes a set of ports: the one closest to usable.
int bestStatus(const QList<PortCheck>& checks);

void printPort(std::FILE* out, const PortCheck& check);
void printListen(std::FILE* out, const ListenReport& report);

QJsonObject portJson(const PortCheck& check);
QJsonObject listenJson(const ListenReport& report);
