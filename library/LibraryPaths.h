#pragma once

#include <string>

// The user's library: $XDG_DATA_HOME/trelvane/library.sqlite, where
// XDG_DATA_HOME defaults to ~/.local/share.
std::string defaultLibraryPath();
