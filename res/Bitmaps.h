#pragma once

#include <QPixmap>

// The program's bitmaps by their resource number (128, 140, 145, ...); a null
// pixmap for a number that names no bitmap.
QPixmap loadBitmap(int id);

class QPainter;
class QRect;

// Stretches a background bitmap over `target`. Smoothed, so that squeezing the
// 721-row view backgrounds into 700 rows does not drop rows of their lettering.
void drawStretchedBitmap(QPainter& painter, const QRect& target, int id);
