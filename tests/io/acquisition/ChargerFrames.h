#pragma once

#include <cstdint>
#include <vector>

// Hand-built charger frames. Data bytes default to 0x80 (zero). Every frame
// carries the same readings except the voltage, whose integer part the test
// picks so it can tell which frame was decoded last: voltage = v - 128 + 0.25.
namespace ChargerFrames {

constexpr std::uint8_t kMarkerStart = 0x81;
constexpr std::uint8_t kMarkerEnd = 0x80;
constexpr std::uint8_t kMarkerRunning = 0x82;

// 76 bytes. Current 2.00 A, temperature 25, capacity 1232 mAh, eight cells of
// 4.10 V, battery type 1 (Li-Ion/poly), charge mode 1 (charging), aux 0.50.
inline std::vector<std::uint8_t> variant1(std::uint8_t marker, std::uint8_t voltageByte = 0x8C)
{
    std::vector<std::uint8_t> f(76, 0x80);
    f[0] = '{';
    f[75] = '}';
    f[8] = 0x81;  // charging
    f[23] = 0x81; // type 1
    f[24] = marker;
    f[33] = 0x82; // current 2.00
    f[34] = 0x80;
    f[35] = voltageByte;
    f[36] = 0x99; // .25
    f[38] = 0x99; // 25 degrees
    f[41] = 0x80; // aux 0.50
    f[42] = 0xB2;
    f[43] = 0x8C; // 1232 mAh
    f[44] = 0xA0;
    for (int cell = 0; cell < 8; ++cell) {
        f[45 + 2 * cell] = 0x84; // 4.10
        f[46 + 2 * cell] = 0x8A;
    }
    return f;
}

// 112 bytes. State byte as given (0x80 end, anything else start), battery
// type 132 (NiMH), current 2.00 A, capacity 1232 mAh, six cells of 4.10 V.
inline std::vector<std::uint8_t> variant2(std::uint8_t state, std::uint8_t voltageByte = 0x8C)
{
    std::vector<std::uint8_t> f(112, 0x80);
    f[0] = '{';
    f[111] = '}';
    f[1] = state;
    f[2] = 132;
    f[7] = 0x8C;
    f[8] = 0xA0;
    f[11] = 0x82;
    f[12] = 0x80;
    f[15] = voltageByte;
    f[16] = 0x99;
    for (int cell = 0; cell < 6; ++cell) {
        f[19 + 2 * cell] = 0x84;
        f[20 + 2 * cell] = 0x8A;
    }
    return f;
}

inline float voltageFor(std::uint8_t voltageByte)
{
    return static_cast<float>(voltageByte - 128) + 0.25f;
}

} // namespace ChargerFrames
