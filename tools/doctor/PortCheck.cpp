#include "PortCheck.h"

#include "Printable.h"

#include "acquisition/PortNames.h"
#include "overview/BatteryIndicator.h"

#include <QFile>
#include <QJsonArray>

namespace {

std::string text(const QString& value)
{
    return cli::printable(value.toStdString());
}

std::string pathText(const QString& path)
{
    return cli::printable(QFile::encodeName(path).toStdString());
}

std::string orDash(const QString& value)
{
    return value.isEmpty() ? std::string("-") : text(value);
}

std::string usbId(const SurveyedPort& port)
{
    if (!port.hasUsbIds)
        return "-";
    char id[16];
    std::snprintf(id, sizeof id, "%04x:%04x", port.vendorId, port.productId);
    return id;
}

// Preference when several ports are present: usable first, then one that
// only needs its other reader stopped, then one that needs a permission.
int rank(int status)
{
    switch (status) {
    case DoctorExit::kOk: return 0;
    case DoctorExit::kBusy: return 1;
    case DoctorExit::kNoPermission: return 2;
    default: return 3;
    }
}

const char* batteryName(const MeasurementRecord& record, int variant)
{
    switch (batteryIndicatorFor(variant, record.batteryType)) {
    case BatteryIndicator::LithiumIon: return "Li-Ion/poly";
    case BatteryIndicator::NickelMetalHydride: return "NiMH";
    case BatteryIndicator::NickelCadmium: return "NiCd";
    case BatteryIndicator::Lead: return "Pb";
    case BatteryIndicator::None: break;
    }
    return "unknown type";
}

std::string sampleText(const StreamAnalysis& a)
{
    const MeasurementRecord& r = a.sample;
    char head[160];
    std::snprintf(head, sizeof head, "%.2f V, %.2f A, %d mAh, %.0f C", static_cast<double>(r.voltage),
                  static_cast<double>(r.current), r.capacity, static_cast<double>(r.temperature));
    std::string line = head;
    std::string cells;
    for (float cell : r.cellVoltage) {
        if (cell != 0.0f) {
            char v[32];
            std::snprintf(v, sizeof v, " %.2f", static_cast<double>(cell));
            cells += v;
        }
    }
    if (!cells.empty())
        line += ", cells" + cells;
    line += std::string(", ") + batteryName(r, a.sampleVariant) + " (type " + std::to_string(r.batteryType) + "), "
        + (r.chargeMode == 1 ? "charging" : "discharging");
    return line;
}

void row(std::FILE* out, const char* name, const std::string& value)
{
    std::fprintf(out, "  %-14s %s\n", name, value.c_str());
}

} // namespace

PortCheck checkPort(const PortSurvey& survey, const QString& label, const QString& path)
{
    PortCheck check;
    check.label = label;
    check.path = path;
    check.port = survey.forPath(path);
    check.access = checkDeviceAccess(QFile::encodeName(path).toStdString());
    switch (check.access.state) {
    case DeviceAccess::State::Missing:
        check.status = DoctorExit::kNoPort;
        check.problem = "not present (" + check.access.reason + ")";
        return check;
    case DeviceAccess::State::NotADevice:
        check.status = DoctorExit::kNoPort;
        check.problem = "not a serial device";
        return check;
    case DeviceAccess::State::Denied:
        check.status = DoctorExit::kNoPermission;
        check.problem = "you may not open it: " + check.access.reason;
        break;
    case DeviceAccess::State::Readable: break;
    }
    check.holders = findPortHolders(check.access.number);
    if (!check.holders.holders.empty() && check.status == DoctorExit::kOk) {
        const PortHolder& first = check.holders.holders.front();
        check.status = DoctorExit::kBusy;
        check.problem = "in use by " + first.command + " (pid " + std::to_string(first.pid) + ")";
    }
    return check;
}

PortCheck checkMonitorPort(const PortSurvey& survey, int n)
{
    PortCheck check = checkPort(survey, QStringLiteral("COM%1").arg(n), devicePathForPort(n));
    check.candidates = candidatePathsForPort(n);
    return check;
}

int bestStatus(const QList<PortCheck>& checks)
{
    int best = DoctorExit::kNoPort;
    for (const PortCheck& check : checks) {
        if (rank(check.status) < rank(best))
            best = check.status;
    }
    return best;
}

void printPort(std::FILE* out, const PortCheck& check)
{
    std::string heading = text(check.label);
    if (check.port) {
        if (check.port->device != check.label)
            heading += "  " + pathText(check.port->device);
        QStringList names;
        for (int n : check.port->monitorPorts)
            names << QStringLiteral("COM%1").arg(n);
        if (!names.isEmpty())
            heading += "  (" + text(names.join(QStringLiteral(", "))) + " in the monitor)";
        else
            heading += "  (not one of the monitor's COM3..COM15: record it with trelvane-record --device)";
    }
    std::fprintf(out, "%s\n", heading.c_str());

    if (check.access.state == DeviceAccess::State::Missing) {
        std::string where = pathText(check.path);
        if (!check.candidates.isEmpty()) {
            where.clear();
            for (const QString& candidate : check.candidates)
                where += (where.empty() ? "" : ", ") + pathText(candidate);
            where = "none of " + where + " exists";
        }
        row(out, "status", "not present: " + where);
        return;
    }
    if (check.port) {
        const SurveyedPort& p = *check.port;
        row(out, "description", orDash(p.description));
        row(out, "manufacturer", orDash(p.manufacturer));
        row(out, "USB id", usbId(p));
        row(out, "serial number", orDash(p.serialNumber));
        for (const QString& link : p.byIdLinks)
            row(out, "by-id link", pathText(link));
        if (p.byIdLinks.isEmpty())
            row(out, "by-id link", "-");
    }
    switch (check.access.state) {
    case DeviceAccess::State::Readable: row(out, "access", "you can open it for reading"); break;
    case DeviceAccess::State::NotADevice: row(out, "access", "not a serial device"); break;
    case DeviceAccess::State::Denied:
        row(out, "access", cli::printable(check.access.reason));
        row(out, "fix", cli::printable(check.access.fix));
        break;
    case DeviceAccess::State::Missing: break;
    }
    if (check.access.state == DeviceAccess::State::NotADevice)
        return;
    if (check.holders.holders.empty()) {
        row(out, "in use by", check.holders.complete ? "no other process"
                                                     : "no other process of yours (run as root to see all)");
    } else {
        for (const PortHolder& h : check.holders.holders)
            row(out, "in use by", cli::printable(h.command) + " (pid " + std::to_string(h.pid) + ", user "
                                      + cli::printable(h.user) + "): a second reader takes frames from the first");
    }
}

void printListen(std::FILE* out, const ListenReport& report)
{
    const StreamAnalysis& a = report.analysis;
    const double seconds = report.capture.seconds > 0.0 ? report.capture.seconds : 1.0;
    char rate[64];
    std::snprintf(rate, sizeof rate, "%.0f per second", static_cast<double>(a.bytes) / seconds);
    row(out, "listened", std::to_string(static_cast<int>(report.capture.seconds + 0.5)) + " s"
                             + (report.capture.lost ? " (the device went away)" : ""));
    row(out, "bytes", std::to_string(a.bytes) + " (" + rate + ")");
    std::string frames = std::to_string(a.shortFrames) + " of 76 bytes (variant 1), " + std::to_string(a.longFrames)
        + " of 112 bytes (variant 2), " + std::to_string(a.otherFrames) + " of other lengths";
    if (a.otherFrames > 0)
        frames += " (mostly " + std::to_string(a.commonOtherLength) + ")";
    row(out, "frames", frames);
    row(out, "kinds", std::to_string(a.starts) + " start, " + std::to_string(a.runnings) + " running, "
                          + std::to_string(a.ends) + " end");
    row(out, "discarded", std::to_string(a.discardedBytes()) + " bytes outside frames ("
                              + std::to_string(a.strayBytes) + " between frames), "
                              + std::to_string(a.overlongFrames) + " overlong frames");
    row(out, "sample", a.hasSample ? sampleText(a) : std::string("-"));
    for (const std::string& note : report.verdict.notes)
        row(out, "note", note);
}

QJsonObject portJson(const PortCheck& check)
{
    QJsonObject o;
    o["name"] = check.label;
    o["path"] = check.path;
    o["status"] = check.status;
    o["problem"] = QString::fromStdString(check.problem);
    if (!check.candidates.isEmpty())
        o["candidates"] = QJsonArray::fromStringList(check.candidates);
    if (check.port) {
        const SurveyedPort& p = *check.port;
        o["device"] = p.device;
        QJsonArray monitor;
        for (int n : p.monitorPorts)
            monitor.append(QStringLiteral("COM%1").arg(n));
        o["monitorPorts"] = monitor;
        o["description"] = p.description;
        o["manufacturer"] = p.manufacturer;
        o["serialNumber"] = p.serialNumber;
        o["vendorId"] = p.hasUsbIds ? QJsonValue(static_cast<int>(p.vendorId)) : QJsonValue();
        o["productId"] = p.hasUsbIds ? QJsonValue(static_cast<int>(p.productId)) : QJsonValue();
        o["byId"] = QJsonArray::fromStringList(p.byIdLinks);
    }
    static const char* const kAccess[] = {"missing", "not a device", "denied", "readable"};
    o["access"] = QString::fromLatin1(kAccess[static_cast<int>(check.access.state)]);
    if (check.access.state != DeviceAccess::State::Missing) {
        o["group"] = QString::fromStdString(check.access.group);
        o["mode"] = QString::fromStdString(check.access.mode);
    }
    if (!check.access.fix.empty())
        o["fix"] = QString::fromStdString(check.access.fix);
    QJsonArray holders;
    for (const PortHolder& h : check.holders.holders) {
        QJsonObject holder;
        holder["pid"] = h.pid;
        holder["command"] = QString::fromStdString(h.command);
        holder["user"] = QString::fromStdString(h.user);
        holders.append(holder);
    }
    o["heldBy"] = holders;
    o["heldByComplete"] = check.holders.complete;
    return o;
}

QJsonObject listenJson(const ListenReport& report)
{
    const StreamAnalysis& a = report.analysis;
    QJsonObject o;
    o["seconds"] = report.capture.seconds;
    o["deviceLost"] = report.capture.lost;
    o["bytes"] = static_cast<qint64>(a.bytes);
    o["frames76"] = static_cast<qint64>(a.shortFrames);
    o["frames112"] = static_cast<qint64>(a.longFrames);
    o["framesOther"] = static_cast<qint64>(a.otherFrames);
    o["start"] = static_cast<qint64>(a.starts);
    o["running"] = static_cast<qint64>(a.runnings);
    o["end"] = static_cast<qint64>(a.ends);
    o["discardedBytes"] = static_cast<qint64>(a.discardedBytes());
    o["strayBytes"] = static_cast<qint64>(a.strayBytes);
    o["overlongFrames"] = static_cast<qint64>(a.overlongFrames);
    if (a.hasSample) {
        const MeasurementRecord& r = a.sample;
        QJsonObject s;
        s["voltage"] = static_cast<double>(r.voltage);
        s["current"] = static_cast<double>(r.current);
        s["capacity"] = r.capacity;
        s["temperature"] = static_cast<double>(r.temperature);
        QJsonArray cells;
        for (float cell : r.cellVoltage)
            cells.append(static_cast<double>(cell));
        s["cells"] = cells;
        s["batteryType"] = r.batteryType;
        s["chargeMode"] = r.chargeMode;
        s["variant"] = a.sampleVariant;
        o["sample"] = s;
    }
    QJsonArray notes;
    for (const std::string& note : report.verdict.notes)
        notes.append(QString::fromStdString(note));
    o["notes"] = notes;
    return o;
}
