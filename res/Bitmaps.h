#pragma once

#include <QPixmap>

// The program's bitmaps by their resource number (128, 140, 145, ...); a null
// pixmap for a number that names no bitmap.
QPixmap loadBitmap(int id);
