#pragma once

#include <QColor>
#include <QPainter>
#include <QRectF>

// The cell and battery-type symbols, drawn in any colour into any box (designed
// on a 32 x 32 grid): blue on the indicators, grey in the overview's legend.
class TypeGlyphs {
public:
    enum class Kind { Cell, LeadAcid, LithiumPolymer, NickelMetalHydride, NickelCadmium };

    static void draw(QPainter& p, Kind kind, const QRectF& box, const QColor& colour);

private:
    static void cell(QPainter& p, const QColor& c);
    static void leadAcid(QPainter& p, const QColor& c);
    static void lithiumPolymer(QPainter& p, const QColor& c);
    static void labelledBattery(QPainter& p, const QColor& c, const QString& label);
};
