#pragma once

#include <string>

namespace cli {

// `text` safe to print on a terminal: control characters (C0, DEL and the
// C1 range, which can start escape sequences) and bytes that are not UTF-8
// are shown as \xNN. Names of files, ports and USB devices come from outside.
std::string printable(const std::string& text);

} // namespace cli
