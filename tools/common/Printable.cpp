#include "Printable.h"

#include "text/Utf8.h"

#include <cstdio>

namespace cli {

namespace {

void escape(std::string& out, unsigned char byte)
{
    char code[8];
    std::snprintf(code, sizeof code, "\\x%02X", byte);
    out += code;
}

// C1 controls (U+0080 to U+009F) can start escape sequences on a terminal.
constexpr char32_t kFirstC1 = 0x80;
constexpr char32_t kLastC1 = 0x9F;

} // namespace

std::string printable(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte < 0x80) {
            if (byte < 0x20 || byte == 0x7F)
                escape(out, byte);
            else
                out += static_cast<char>(byte);
            ++i;
            continue;
        }
        const Utf8Sequence sequence = utf8At(text, i);
        if (sequence.length == 0 || (sequence.codePoint >= kFirstC1 && sequence.codePoint <= kLastC1)) {
            escape(out, byte);
            ++i;
            continue;
        }
        out.append(text, i, sequence.length);
        i += sequence.length;
    }
    return out;
}

} // namespace cli
