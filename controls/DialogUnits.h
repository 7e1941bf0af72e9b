#pragma once

#include <QRect>

// Dialog-template units to pixels for the 8-point Arial dialog font at 96 dpi.
namespace DialogUnits {
constexpr int x(int du) { return du * 6 / 4; }
constexpr int y(int du) { return du * 14 / 8; }
inline QPoint point(int dx, int dy) { return {x(dx), y(dy)}; }
inline QRect rect(int dx, int dy, int dw, int dh) { return {x(dx), y(dy), x(dw), y(dh)}; }
}
