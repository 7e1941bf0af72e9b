#include "recording/LogCsv.h"

#include <charconv>
#include <cstring>

namespace {

constexpr int kSignificant = 9; // digits of "%.9g": enough for every float
constexpr std::uint64_t kLowest9 = 100'000'000;
constexpr std::uint64_t kPastHighest9 = 1'000'000'000;

// 10^p for p = 0..12.
constexpr std::uint64_t kPowers[] = {1,         10,         100,         1000,         10000,
                                     100000,    1000000,    10000000,    100000000,    1000000000,
                                     10000000000, 100000000000, 1000000000000};

char* writeGeneral(char* out, float value)
{
    // std::to_chars never consults the locale and formats as printf would.
    return std::to_chars(out, out + 32, static_cast<double>(value), std::chars_format::general, kSignificant).ptr;
}

// floor(m * 2^e * 10^p) and whether the rest is below, at or above one half.
struct Scaled {
    std::uint64_t whole;
    int rest; // -1 below a half, 0 exactly a half, 1 above
};

Scaled scale(std::uint32_t mantissa, int exponent, int p)
{
    const unsigned __int128 n = static_cast<unsigned __int128>(mantissa) * kPowers[p];
    if (exponent >= 0)
        return {static_cast<std::uint64_t>(n << exponent), -1};
    const int shift = -exponent;
    const unsigned __int128 whole = n >> shift;
    const unsigned __int128 rest = n - (whole << shift);
    const unsigned __int128 half = static_cast<unsigned __int128>(1) << (shift - 1);
    return {static_cast<std::uint64_t>(whole), rest < half ? -1 : rest == half ? 0 : 1};
}

} // namespace

char* LogCsv::writeFloat(char* out, float value)
{
    // Exact arithmetic for the values a log holds (1e-4 to 1e9): the float is
    // m * 2^e, scaled by a power of ten to nine whole digits and rounded half
    // to even, as printf rounds. Anything else (0, tiny, huge, inf, NaN) is
    // left to std::to_chars, which is exact too but several times slower.
    const float magnitude = value < 0 ? -value : value;
    if (!(magnitude >= 1e-4f && magnitude < 1e9f))
        return writeGeneral(out, value);
    std::uint32_t bits = 0;
    std::memcpy(&bits, &magnitude, sizeof bits);
    const std::uint32_t mantissa = (bits & 0x7FFFFFu) | 0x800000u; // normal: 1e-4 is far above the subnormals
    const int exponent = static_cast<int>(bits >> 23) - 150;

    // The decimal exponent x of the value, 10^x <= |value| < 10^(x+1), first
    // by float compares (near enough), then made exact on the integers below.
    constexpr float kDecades[] = {1e-4f, 1e-3f, 1e-2f, 1e-1f, 1e0f, 1e1f, 1e2f,
                                  1e3f,  1e4f,  1e5f,  1e6f,  1e7f, 1e8f};
    int x = 8;
    while (x > -4 && magnitude < kDecades[x + 4])
        --x;
    Scaled s = scale(mantissa, exponent, 8 - x);
    // The float compares can misjudge a decade at its very edge; the integers cannot.
    if (s.whole >= kPastHighest9 && x < 8) {
        ++x;
        s = scale(mantissa, exponent, 8 - x);
    } else if (s.whole < kLowest9 && x > -4) {
        --x;
        s = scale(mantissa, exponent, 8 - x);
    }
    std::uint64_t digits = s.whole;
    if (s.rest > 0 || (s.rest == 0 && (digits & 1) != 0))
        ++digits;
    if (digits == kPastHighest9) { // rounded up into the next decade
        digits = kLowest9;
        ++x;
    }
    if (digits < kLowest9 || digits >= kPastHighest9 || x > 8 || x < -4)
        return writeGeneral(out, value); // not reached; the exponent form is not written here

    char text[kSignificant];
    for (int i = kSignificant - 1; i >= 0; --i) {
        text[i] = static_cast<char>('0' + digits % 10);
        digits /= 10;
    }
    int used = kSignificant; // trailing zeros of the fraction go
    const int wholeDigits = x >= 0 ? x + 1 : 0;
    while (used > wholeDigits && text[used - 1] == '0')
        --used;

    if (value < 0)
        *out++ = '-';
    if (x >= 0) {
        std::memcpy(out, text, static_cast<std::size_t>(wholeDigits));
        out += wholeDigits;
        if (used > wholeDigits) {
            *out++ = '.';
            std::memcpy(out, text + wholeDigits, static_cast<std::size_t>(used - wholeDigits));
            out += used - wholeDigits;
        }
    } else {
        *out++ = '0';
        *out++ = '.';
        for (int zero = 0; zero < -x - 1; ++zero)
            *out++ = '0';
        std::memcpy(out, text, static_cast<std::size_t>(used));
        out += used;
    }
    return out;
}

namespace {

char* writeInt(char* out, std::int64_t v)
{
    return std::to_chars(out, out + 24, v).ptr;
}

char* writeTwoDigits(char* out, std::int64_t v)
{
    *out++ = static_cast<char>('0' + v / 10);
    *out++ = static_cast<char>('0' + v % 10);
    return out;
}

char* writeClock(char* out, std::int64_t seconds)
{
    if (seconds < 0)
        *out++ = '-';
    const std::int64_t s = seconds < 0 ? -seconds : seconds;
    out = writeInt(out, s / 3600);
    *out++ = ':';
    out = writeTwoDigits(out, s / 60 % 60);
    *out++ = ':';
    return writeTwoDigits(out, s % 60);
}

} // namespace

std::string LogCsv::header()
{
    return "elapsedSeconds,time,voltage,current,capacity,temperature,"
           "cell1,cell2,cell3,cell4,cell5,cell6,cell7,cell8,batteryType,chargeMode,auxValue";
}

std::string LogCsv::clock(std::int64_t seconds)
{
    char text[40];
    return std::string(text, writeClock(text, seconds));
}

char* LogCsv::writeRow(char* out, const MeasurementRecord& r)
{
    out = writeInt(out, r.elapsedSeconds);
    *out++ = ',';
    out = writeClock(out, r.elapsedSeconds);
    for (float v : {r.voltage, r.current}) {
        *out++ = ',';
        out = writeFloat(out, v);
    }
    *out++ = ',';
    out = writeInt(out, r.capacity);
    *out++ = ',';
    out = writeFloat(out, r.temperature);
    for (float cell : r.cellVoltage) {
        *out++ = ',';
        out = writeFloat(out, cell);
    }
    *out++ = ',';
    out = writeInt(out, r.batteryType);
    *out++ = ',';
    out = writeInt(out, r.chargeMode);
    *out++ = ',';
    return writeFloat(out, r.auxValue);
}

std::string LogCsv::row(const MeasurementRecord& record)
{
    char text[kMaxRowLength];
    return std::string(text, writeRow(text, record));
}
