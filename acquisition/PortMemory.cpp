#include "acquisition/PortMemory.h"

#include <QSettings>
#include <QVariant>

#include <memory>

namespace {

constexpr int kFirstIndex = 0;
constexpr int kLastIndex = 12; // COM15
const char* const kKey = "serial/portIndex";

std::unique_ptr<QSettings> openSettings()
{
    return std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                       QStringLiteral("Trelvane"), QStringLiteral("Trelvane"));
}

} // namespace

namespace PortMemory {

int load()
{
    const auto settings = openSettings();
    if (settings->status() != QSettings::NoError)
        return kFirstIndex;
    bool ok = false;
    const int index = settings->value(QLatin1String(kKey)).toString().trimmed().toInt(&ok);
    if (!ok || index < kFirstIndex || index > kLastIndex)
        return kFirstIndex;
    return index;
}

void save(int portIndex)
{
    const auto settings = openSettings();
    settings->setValue(QLatin1String(kKey), portIndex);
    settings->sync(); // a failure here is deliberately not reported
}

} // namespace PortMemory
