// The content hash: the published XXH64 values, the same hash however a file
// is fed in, and a different hash for a change of one bit.
#include "library/ContentHash.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

struct Reference {
    const char* input;
    std::uint64_t seed;
    std::uint64_t hash;
};

TEST(ContentHash, GivesThePublishedXxh64Values)
{
    const Reference cases[] = {
        {"", 0, 0xEF46DB3751D8E999ULL},
        {"a", 0, 0xD24EC4F1A98C6E5BULL},
        {"abc", 0, 0x44BC2CF5AD770999ULL},
        {"Nobody inspects the spammish repetition", 0, 0xFBCEA83C8A378BF1ULL}, // through a 32-byte stripe
    };
    for (const Reference& c : cases) {
        const std::string input = c.input;
        EXPECT_EQ(ContentHash::of(input.data(), input.size(), c.seed), c.hash) << '"' << input << '"';
    }
}

std::vector<std::uint8_t> bytes(std::size_t n)
{
    std::vector<std::uint8_t> out(n);
    std::uint32_t x = 12345;
    for (auto& b : out) {
        x = x * 1664525u + 1013904223u;
        b = static_cast<std::uint8_t>(x >> 24);
    }
    return out;
}

TEST(ContentHash, IsTheSameHoweverTheBytesArriveInPieces)
{
    // Lengths around the 32-byte stripe and its 8- and 4-byte tails.
    for (const std::size_t length : {std::size_t{0}, std::size_t{3}, std::size_t{31}, std::size_t{32},
                                     std::size_t{33}, std::size_t{64 * 7 + 13}, std::size_t{4096}}) {
        const std::vector<std::uint8_t> data = bytes(length);
        const std::uint64_t whole = ContentHash::of(data.data(), data.size());
        for (const std::size_t piece : {std::size_t{1}, std::size_t{5}, std::size_t{31}, std::size_t{64}, std::size_t{1000}}) {
            ContentHash hash;
            for (std::size_t at = 0; at < data.size(); at += piece)
                hash.add(data.data() + at, std::min(piece, data.size() - at));
            EXPECT_EQ(hash.value(), whole) << length << " bytes in pieces of " << piece;
        }
    }
}

TEST(ContentHash, ChangesWithAnyBitAndWithTheLength)
{
    std::vector<std::uint8_t> data = bytes(64 * 10);
    const std::uint64_t original = ContentHash::of(data.data(), data.size());
    for (const std::size_t at : {std::size_t{0}, std::size_t{52}, std::size_t{639}}) {
        data[at] ^= 1;
        EXPECT_NE(ContentHash::of(data.data(), data.size()), original) << "bit 0 of byte " << at;
        data[at] ^= 1;
    }
    EXPECT_NE(ContentHash::of(data.data(), data.size() - 64), original);
}

TEST(ContentHash, PrintsSixteenHexDigits)
{
    EXPECT_EQ(ContentHash::hex(0xEF46DB3751D8E999ULL), "ef46db3751d8e999");
    EXPECT_EQ(ContentHash::hex(0x1ULL), "0000000000000001");
}

} // namespace
