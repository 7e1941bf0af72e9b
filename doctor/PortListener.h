#pragma once

#include <QString>

#include <atomic>
#include <cstdint>
#include <functional>
#include <vector>

// Opens a serial device read-only at the charger's 9600 baud 8N1, as the
// monitor does, and keeps every byte that arrives for a while (0x00 bytes
// included, which the monitor's reader cannot tell from silence).
class PortListener {
public:
    struct Capture {
        bool opened = false;
        QString error;                   // why it could not be opened
        bool lost = false;               // the device went away while listening
        std::vector<std::uint8_t> bytes;
        double seconds = 0.0;            // how long it listened
    };
    // Called about once a second with the whole seconds passed and the bytes so far.
    using Progress = std::function<void(int seconds, std::size_t bytes)>;

    static Capture listen(const QString& path, double seconds, const std::atomic<bool>& stopRequested,
                          const Progress& progress = {});
};
