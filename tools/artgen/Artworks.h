#pragma once

#include <QImage>
#include <QSize>
#include <QString>
#include <vector>

// One painter per bitmap; each fills the whole image it is given.
void paintProgramIcon(QImage& image);        // 128
void paintControlBackground(QImage& image);  // 140
void paintSmallButtonOver(QImage& image);    // 145
void paintSmallButtonOut(QImage& image);     // 146
void paintOverviewBackground(QImage& image); // 150
void paintLargeButtonOver(QImage& image);    // 151
void paintLargeButtonOut(QImage& image);     // 152
void paintDetailBackground(QImage& image);   // 153
void paintChartBackground(QImage& image);    // 154
void paintCellIcon(QImage& image);           // 161
void paintLeadAcidIcon(QImage& image);       // 162
void paintLithiumIcon(QImage& image);        // 163
void paintNiMHIcon(QImage& image);           // 164
void paintNiCdIcon(QImage& image);           // 165

class QPainter;
// The program icon on its 64 x 64 design grid, for any paint device: the
// bitmaps above and the scalable icon.
void drawProgramIcon(QPainter& painter);

struct Artwork {
    QString name; // file name without ".png": the resource number
    QSize size;
    bool alpha;   // only the program icon has a transparent background
    void (*paint)(QImage&);
};

const std::vector<Artwork>& artworks();

// Paints the artwork and returns it in the format it is stored in: 24-bit RGB,
// or 32-bit ARGB for the icon.
QImage render(const Artwork& art);
