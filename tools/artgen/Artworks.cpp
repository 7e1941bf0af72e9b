#include "Artworks.h"

const std::vector<Artwork>& artworks()
{
    static const std::vector<Artwork> all{
        {QStringLiteral("128"), {64, 64}, true, paintProgramIcon},
        // The desktop's icon sizes, each drawn at its own size rather than scaled.
        {QStringLiteral("128-16"), {16, 16}, true, paintProgramIcon},
        {QStringLiteral("128-24"), {24, 24}, true, paintProgramIcon},
        {QStringLiteral("128-32"), {32, 32}, true, paintProgramIcon},
        {QStringLiteral("128-48"), {48, 48}, true, paintProgramIcon},
        {QStringLiteral("128-128"), {128, 128}, true, paintProgramIcon},
        {QStringLiteral("128-256"), {256, 256}, true, paintProgramIcon},
        {QStringLiteral("140"), {578, 331}, false, paintControlBackground},
        {QStringLiteral("145"), {56, 33}, false, paintSmallButtonOver},
        {QStringLiteral("146"), {56, 33}, false, paintSmallButtonOut},
        {QStringLiteral("150"), {1024, 721}, false, paintOverviewBackground},
        {QStringLiteral("151"), {82, 26}, false, paintLargeButtonOver},
        {QStringLiteral("152"), {85, 26}, false, paintLargeButtonOut},
        {QStringLiteral("153"), {1024, 721}, false, paintDetailBackground},
        {QStringLiteral("154"), {759, 127}, false, paintChartBackground},
        {QStringLiteral("161"), {32, 32}, false, paintCellIcon},
        {QStringLiteral("162"), {32, 32}, false, paintLeadAcidIcon},
        {QStringLiteral("163"), {32, 32}, false, paintLithiumIcon},
        {QStringLiteral("164"), {32, 32}, false, paintNiMHIcon},
        {QStringLiteral("165"), {32, 32}, false, paintNiCdIcon},
    };
    return all;
}

QImage render(const Artwork& art)
{
    QImage image(art.size, art.alpha ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    image.fill(Qt::black);
    art.paint(image);
    return image.convertToFormat(art.alpha ? QImage::Format_ARGB32 : QImage::Format_RGB888);
}
