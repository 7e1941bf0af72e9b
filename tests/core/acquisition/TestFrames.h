#pragma once

#include "acquisition/FrameReader.h"

#include <bit>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <utility>
#include <vector>

// Frames built byte by byte, independently of the reader and decoder.
namespace testframes {

constexpr std::uint8_t kOpen = 0x7B;
constexpr std::uint8_t kClose = 0x7D;

// "{", length - 2 copies of `filler`, "}".
inline std::vector<std::uint8_t> frame(std::size_t length, std::uint8_t filler = 0xEE)
{
    std::vector<std::uint8_t> bytes(length, filler);
    bytes.front() = kOpen;
    bytes.back() = kClose;
    return bytes;
}

inline std::vector<std::uint8_t> frame(std::size_t length, std::uint8_t filler,
                                       std::initializer_list<std::pair<std::size_t, std::uint8_t>> set)
{
    auto bytes = frame(length, filler);
    for (auto [index, value] : set)
        bytes.at(index) = value;
    return bytes;
}

// The buffer as the acquisition loop leaves it after reading `bytes`.
inline FrameBuffer bufferOf(const std::vector<std::uint8_t>& bytes)
{
    FrameBuffer buffer{};
    for (std::size_t i = 0; i < bytes.size() && i < buffer.size(); ++i)
        buffer[i] = bytes[i];
    return buffer;
}

inline std::uint32_t bits(float value) { return std::bit_cast<std::uint32_t>(value); }

} // namespace testframes
