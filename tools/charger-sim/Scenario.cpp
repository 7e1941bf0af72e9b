#include "Scenario.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr std::uint8_t kStart = 0x81;
constexpr std::uint8_t kEnd = 0x80;
constexpr std::uint8_t kRunning = 0x82;      // 76-byte frames: neither start nor end
// 112-byte frames carry the charge mode in their state byte as mode + 129: 0x82
// while charging, 0x81 while discharging (0x80 is the end frame).
constexpr std::uint8_t kV2StateBase = 129;
constexpr int kChargeModeCharging = 1;
constexpr int kChargeModeDischarging = 0;
constexpr int kIdleEndFrameEvery = 4;        // idle 76-byte stream: every 4th frame an end frame

bool isBrace(std::uint8_t b)
{
    return b == 0x7B || b == 0x7D;
}

} // namespace

Scenario::Scenario(const SimOptions& options)
    : options_(options),
      framesPerCharge_(std::max(2, int(std::lround(options.seconds * 1000.0 / options.periodMs)))),
      random_(options.seed ^ 0x5eed5eedU),
      idleModel_(options.battery, options.cells, Direction::Rest, 1, options.seed)
{
    switch (options_.scenario) {
    case ScenarioKind::ChargeV1:
    case ScenarioKind::ChargeV2:
    case ScenarioKind::Noise:
    case ScenarioKind::Overlong:
    case ScenarioKind::NulBytes: playCharge(Direction::Charge, true, 1.0); break;
    case ScenarioKind::Discharge: playCharge(Direction::Discharge, true, 1.0); break;
    case ScenarioKind::Idle: playIdle(framesPerCharge_); break;
    case ScenarioKind::Unplug:
        playCharge(Direction::Charge, false, 0.5);
        endsSilent_ = true;
        break;
    case ScenarioKind::MidCharge:
        // What a reader sees when it joins the charge that `unplug` (with the
        // same settings) leaves: the second half, without a start frame.
        playCharge(Direction::Charge, true, 1.0, 0.5);
        break;
    }
}

FrameBuilder Scenario::frameAt(const PackState& state, std::uint8_t marker, int chargeMode) const
{
    FrameBuilder frame(options_.variant);
    frame.marker(marker)
        .chargeMode(chargeMode)
        .batteryType(int(options_.battery))
        .auxValue(state.auxValue)
        .voltage(state.voltage)
        .current(state.current)
        .temperature(state.temperature)
        .capacity(state.capacity);
    const int cells = std::min<int>(int(state.cells.size()), FrameBuilder::cellCapacity(options_.variant));
    for (int i = 0; i < cells; ++i)
        frame.cell(i, state.cells[std::size_t(i)]);
    return frame;
}

void Scenario::addFrame(const FrameBuilder& frame)
{
    if (options_.scenario == ScenarioKind::Noise) {
        std::uniform_int_distribution<int> count(1, 24);
        std::uniform_int_distribution<int> value(1, 255);
        Transmission noise{Transmission::Kind::Noise, {}, std::nullopt, "noise"};
        for (int n = count(random_); n > 0;) {
            const auto b = std::uint8_t(value(random_));
            if (!isBrace(b)) {
                noise.bytes.push_back(b);
                --n;
            }
        }
        script_.push_back(std::move(noise));
    }
    script_.push_back({Transmission::Kind::Frame, frame.bytes(), frame.fields(), {}});
}

std::vector<std::uint8_t> Scenario::overlongFrame(int length)
{
    // No closing brace until the end; an opening brace inside is data.
    std::uniform_int_distribution<int> value(1, 255);
    std::vector<std::uint8_t> bytes(std::size_t(length), 0x80);
    bytes.front() = 0x7B;
    for (std::size_t i = 1; i + 1 < bytes.size(); ++i) {
        std::uint8_t b = 0;
        do
            b = std::uint8_t(value(random_));
        while (b == 0x7D);
        bytes[i] = b;
    }
    bytes.back() = 0x7D;
    return bytes;
}

void Scenario::addAfterFrame(int frameNumber, const FrameBuilder& frame)
{
    if (options_.scenario == ScenarioKind::Overlong && frameNumber % 5 == 1) {
        static constexpr int kFirstLengths[] = {113, 5000};
        std::uniform_int_distribution<int> length(113, 5000);
        const int n = overlongCount_ < 2 ? kFirstLengths[overlongCount_] : length(random_);
        ++overlongCount_;
        script_.push_back({Transmission::Kind::Broken, overlongFrame(n), std::nullopt, "overlong"});
    }
    if (options_.scenario == ScenarioKind::NulBytes && frameNumber % 7 == 3) {
        std::uniform_int_distribution<int> index(1, int(frame.bytes().size()) - 2);
        FrameBuilder broken = frame;
        broken.setByte(index(random_), 0x00);
        script_.push_back({Transmission::Kind::Broken, broken.bytes(), std::nullopt, "nul"});
    }
}

void Scenario::playCharge(Direction direction, bool withEnd, double until, double from)
{
    ChargeModel model(options_.battery, options_.cells, direction, framesPerCharge_, options_.seed);
    const int mode = direction == Direction::Charge ? kChargeModeCharging : kChargeModeDischarging;
    const int frames = std::max(1, int(std::lround(framesPerCharge_ * until)));
    const int first = std::clamp(int(std::lround(framesPerCharge_ * from)), 0, frames - 1);
    PackState state;
    for (int i = 0; i < frames; ++i) {
        state = model.step(double(i) / double(framesPerCharge_ - 1));
        if (i < first)
            continue;
        const std::uint8_t marker = options_.variant == 2 ? static_cast<std::uint8_t>(kV2StateBase + mode)
                                                          : i == 0 ? kStart : kRunning;
        const FrameBuilder frame = frameAt(state, marker, mode);
        addFrame(frame);
        addAfterFrame(i, frame);
    }
    if (withEnd)
        addFrame(frameAt(state, kEnd, mode));
}

void Scenario::playIdle(int frames)
{
    for (int i = 0; i < frames; ++i) {
        Transmission t = nextIdle();
        script_.push_back(std::move(t));
    }
}

Transmission Scenario::nextIdle()
{
    // 112-byte frames have no running kind: anything but an end frame would start a charge.
    const bool endFrame = options_.variant == 2 || idleCount_ % kIdleEndFrameEvery == kIdleEndFrameEvery - 1;
    ++idleCount_;
    const FrameBuilder frame = frameAt(idleModel_.step(0.0), endFrame ? kEnd : kRunning, kChargeModeCharging);
    return {Transmission::Kind::Frame, frame.bytes(), frame.fields(), {}};
}
