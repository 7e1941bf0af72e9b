#include "recording/ChartState.h"

// Everything of ChartState is inline or plain data; this unit checks that the
// header stands on its own.
