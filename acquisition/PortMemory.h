#pragma once

// Remembers the chosen port between runs in the per-user settings
// (QSettings, INI format, organisation and application "Trelvane").
namespace PortMemory {
// The remembered port list index 0..12, or 0 ("COM3") when nothing usable is stored.
int load();
// Stores the index; a write failure is ignored.
void save(int portIndex);
}
