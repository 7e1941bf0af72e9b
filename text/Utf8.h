#pragma once

#include <cstddef>
#include <string_view>

// One UTF-8 sequence read from text that came from outside (file names,
// device names): where it is well formed, and what it encodes.
struct Utf8Sequence {
    std::size_t length = 0; // 1 to 4 bytes; 0 where the bytes are no UTF-8
    char32_t codePoint = 0;
};

// The sequence that starts at text[i] (i < text.size()). Length 0 for a stray
// continuation byte, a lead byte that cannot start one, a sequence cut short,
// an overlong form, a surrogate or a value past U+10FFFF: each of these can
// hide a character from a check that reads the decoded text.
Utf8Sequence utf8At(std::string_view text, std::size_t i);
