#pragma once

#include <QString>
#include <QStringList>

// Port number n (3..15 for COM3..COM15; 2 when no entry is selected) to the
// device to open. Windows: \\.\COMn. Elsewhere the first that exists of
// $TRELVANE_PORTS_DIR/COMn, /dev/ttyUSB{n-3}, /dev/ttyACM{n-3}; when none
// exists, the first candidate (so the error names a real place to look).
QString devicePathForPort(int portNumber);
// The places devicePathForPort looks, in its order.
QStringList candidatePathsForPort(int portNumber);

// portIndex (list index, -1 for none) to port number.
inline int portNumberForIndex(int portIndex) { return portIndex + 3; }
