#pragma once

#include "ChargeModel.h"
#include "FrameBuilder.h"
#include "SimOptions.h"

#include <cstdint>
#include <optional>
#include <random>
#include <string>
#include <vector>

// One piece of the byte stream.
struct Transmission {
    enum class Kind {
        Frame,  // a frame a reader receives; `fields` says what it carries
        Broken, // a frame a reader cannot receive (overlong, carries 0x00); `note` says which
        Noise,  // stray bytes between frames, no braces
    };
    Kind kind = Kind::Frame;
    std::vector<std::uint8_t> bytes;
    std::optional<FrameFields> fields;
    std::string note;
};

// The byte stream of a scenario: a finite script, then (for --repeat) idle
// frames for as long as the caller wants them.
class Scenario {
public:
    explicit Scenario(const SimOptions& options);

    const std::vector<Transmission>& script() const { return script_; }
    // Ends by going silent with the line still open (a charger unplugged mid-charge).
    bool endsSilent() const { return endsSilent_; }
    // The next frame of the idle stream: the charger is connected but not charging.
    Transmission nextIdle();

private:
    // Frames from `from` to `until` (fractions of the charge); the model runs
    // through the frames before `from` unsent, so capacity carries on.
    void playCharge(Direction direction, bool withEnd, double until, double from = 0.0);
    void playIdle(int frames);
    FrameBuilder frameAt(const PackState& state, std::uint8_t marker, int chargeMode) const;
    void addFrame(const FrameBuilder& frame);
    void addAfterFrame(int frameNumber, const FrameBuilder& frame);
    std::vector<std::uint8_t> overlongFrame(int length);

    SimOptions options_;
    int framesPerCharge_;
    std::mt19937 random_;
    ChargeModel idleModel_;
    int idleCount_ = 0;
    int overlongCount_ = 0;
    bool endsSilent_ = false;
    std::vector<Transmission> script_;
};
