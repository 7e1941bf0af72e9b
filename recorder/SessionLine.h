#pragma once

#include "acquisition/ByteSource.h"

#include <cstdint>
#include <string>

// The charger's line as the recorder's session sees it: a byte source that can
// be closed and opened again, and that can tell whether its device is still
// the one behind the name the user gave.
class SessionLine {
public:
    virtual ~SessionLine() = default;

    // The same object for the whole session, open or not.
    virtual ByteSource& bytes() = 0;
    // Opens the device now behind the name; "" on success, otherwise why not.
    virtual std::string open() = 0;
    virtual void close() = 0;
    // False once the open device has vanished or another device took its name.
    virtual bool stillThere() = 0;
    // The name for messages ("COM7 (/dev/ttyUSB4)", a device path).
    virtual std::string name() const = 0;

    // Sleeps unless a stop is requested; false when stopping.
    virtual bool pause(int milliseconds) = 0;
    // The pause after a frame; a serial line takes it together with the wait
    // for the next frame, so that a frame costs one wake-up.
    virtual bool pauseAfterFrame(int milliseconds) { return pause(milliseconds); }
    // A steady clock in milliseconds.
    virtual std::int64_t nowMs() = 0;
};
