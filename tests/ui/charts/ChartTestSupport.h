#pragma once

// Shared set-up for the chart widget tests: a chart state built in code and
// pixel reads from a grab of the widget.
#include "recording/ChartState.h"

#include <QColor>
#include <QImage>
#include <QWidget>

#include <initializer_list>

namespace ChartTest {

inline void setValue(MeasurementRecord& record, Quantity quantity, double value)
{
    switch (quantity) {
    case Quantity::Capacity: record.capacity = static_cast<std::int32_t>(value); break;
    case Quantity::Voltage: record.voltage = static_cast<float>(value); break;
    case Quantity::Temperature: record.temperature = static_cast<float>(value); break;
    case Quantity::Current: record.current = static_cast<float>(value); break;
    }
}

// Appends one history entry per value for a quantity, keeping the other fields.
inline void setHistory(ChartState& state, Quantity quantity, std::initializer_list<double> values)
{
    int i = 0;
    for (double v : values)
        setValue(state.history[static_cast<std::size_t>(i++)], quantity, v);
    state.historyCount = std::max(state.historyCount, i);
}

inline void setRange(ChartState& state, Quantity quantity, float minimum, float maximum)
{
    state.range(quantity).minimum = minimum;
    state.range(quantity).maximum = maximum;
}

inline QImage render(QWidget& widget)
{
    return widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

inline QRgb rgbAt(const QImage& image, int x, int y)
{
    return image.pixel(x, y) & 0xffffff;
}

inline QRgb rgbOf(const QColor& colour)
{
    return colour.rgb() & 0xffffff;
}

// Whether any pixel of the rectangle [x0, x1) x [y0, y1) has the colour.
inline bool anyPixel(const QImage& image, int x0, int y0, int x1, int y1, const QColor& colour)
{
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x)
            if (rgbAt(image, x, y) == rgbOf(colour))
                return true;
    return false;
}

inline bool allPixels(const QImage& image, int x0, int y0, int x1, int y1, const QColor& colour)
{
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x)
            if (rgbAt(image, x, y) != rgbOf(colour))
                return false;
    return true;
}
}
