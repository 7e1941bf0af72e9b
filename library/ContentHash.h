#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

// A 64-bit hash of a file's bytes, fed in pieces of any size: the identity of
// a log that survives a move or a rename. The XXH64 construction (four
// multiply-rotate lanes over 32-byte stripes) runs at memory speed, so
// hashing costs little next to reading the file; 64 bits make two different
// logs among a lifetime of charges practically never collide.
class ContentHash {
public:
    explicit ContentHash(std::uint64_t seed = 0);

    void add(const void* data, std::size_t size);
    // The hash of everything added so far; more may be added afterwards.
    std::uint64_t value() const;

    static std::uint64_t of(const void* data, std::size_t size, std::uint64_t seed = 0);
    // 16 lower-case hex digits, as the library prints a hash.
    static std::string hex(std::uint64_t hash);

private:
    static constexpr std::size_t kStripe = 32;

    void stripe(const std::uint8_t* bytes);

    std::uint64_t seed_;
    std::array<std::uint64_t, 4> lanes_;
    std::array<std::uint8_t, kStripe> pending_{};
    std::size_t pendingSize_ = 0;
    std::uint64_t total_ = 0;
};
