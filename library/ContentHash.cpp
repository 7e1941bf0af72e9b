#include "library/ContentHash.h"

#include <bit>
#include <cstring>

namespace {

constexpr std::uint64_t kPrime1 = 0x9E3779B185EBCA87ULL;
constexpr std::uint64_t kPrime2 = 0xC2B2AE3D27D4EB4FULL;
constexpr std::uint64_t kPrime3 = 0x165667B19E3779F9ULL;
constexpr std::uint64_t kPrime4 = 0x85EBCA77C2B2AE63ULL;
constexpr std::uint64_t kPrime5 = 0x27D4EB2F165667C5ULL;

// Little-endian reads whatever the machine, so a hash stored on one machine
// finds the same file on another.
std::uint64_t read64(const std::uint8_t* p)
{
    std::uint64_t v;
    std::memcpy(&v, p, sizeof v);
    if constexpr (std::endian::native == std::endian::big)
        v = __builtin_bswap64(v);
    return v;
}

std::uint32_t read32(const std::uint8_t* p)
{
    std::uint32_t v;
    std::memcpy(&v, p, sizeof v);
    if constexpr (std::endian::native == std::endian::big)
        v = __builtin_bswap32(v);
    return v;
}

std::uint64_t round(std::uint64_t lane, std::uint64_t input)
{
    lane += input * kPrime2;
    lane = std::rotl(lane, 31);
    return lane * kPrime1;
}

std::uint64_t merge(std::uint64_t hash, std::uint64_t lane)
{
    hash ^= round(0, lane);
    return hash * kPrime1 + kPrime4;
}

} // namespace

ContentHash::ContentHash(std::uint64_t seed)
    : seed_(seed), lanes_{seed + kPrime1 + kPrime2, seed + kPrime2, seed, seed - kPrime1}
{
}

void ContentHash::stripe(const std::uint8_t* bytes)
{
    for (std::size_t i = 0; i < lanes_.size(); ++i)
        lanes_[i] = round(lanes_[i], read64(bytes + 8 * i));
}

void ContentHash::add(const void* data, std::size_t size)
{
    // Nothing to add may come as a null pointer, which memcpy must never see.
    if (size == 0)
        return;
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    total_ += size;
    if (pendingSize_ > 0) {
        const std::size_t take = std::min(size, kStripe - pendingSize_);
        std::memcpy(pending_.data() + pendingSize_, bytes, take);
        pendingSize_ += take;
        bytes += take;
        size -= take;
        if (pendingSize_ < kStripe)
            return;
        stripe(pending_.data());
        pendingSize_ = 0;
    }
    for (; size >= kStripe; bytes += kStripe, size -= kStripe)
        stripe(bytes);
    std::memcpy(pending_.data(), bytes, size);
    pendingSize_ = size;
}

std::uint64_t ContentHash::value() const
{
    std::uint64_t h;
    if (total_ >= kStripe) {
        h = std::rotl(lanes_[0], 1) + std::rotl(lanes_[1], 7) + std::rotl(lanes_[2], 12) + std::rotl(lanes_[3], 18);
        for (const std::uint64_t lane : lanes_)
            h = merge(h, lane);
    } else {
        h = seed_ + kPrime5;
    }
    h += total_;

    const std::uint8_t* p = pending_.data();
    std::size_t left = pendingSize_;
    for (; left >= 8; p += 8, left -= 8) {
        h ^= round(0, read64(p));
        h = std::rotl(h, 27) * kPrime1 + kPrime4;
    }
    if (left >= 4) {
        h ^= static_cast<std::uint64_t>(read32(p)) * kPrime1;
        h = std::rotl(h, 23) * kPrime2 + kPrime3;
        p += 4;
        left -= 4;
    }
    for (; left > 0; ++p, --left) {
        h ^= *p * kPrime5;
        h = std::rotl(h, 11) * kPrime1;
    }
    // Avalanche: every input bit reaches every output bit.
    h ^= h >> 33;
    h *= kPrime2;
    h ^= h >> 29;
    h *= kPrime3;
    h ^= h >> 32;
    return h;
}

std::uint64_t ContentHash::of(const void* data, std::size_t size, std::uint64_t seed)
{
    ContentHash hash(seed);
    hash.add(data, size);
    return hash.value();
}

std::string ContentHash::hex(std::uint64_t hash)
{
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text(16, '0');
    for (int i = 15; i >= 0; --i, hash >>= 4)
        text[static_cast<std::size_t>(i)] = kDigits[hash & 0xF];
    return text;
}
