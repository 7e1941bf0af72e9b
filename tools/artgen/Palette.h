#pragma once

#include <QColor>

// The colours every picture shares, so the windows read as one instrument.
namespace Palette {

inline const QColor field{57, 54, 51};           // dark field behind charts and icons
inline const QColor transparentKey{255, 255, 255}; // the buttons' transparent colour
inline const QColor chartField{195, 195, 194};

inline const QColor bandTop{104, 100, 95};
inline const QColor bandBottom{72, 69, 65};
inline const QColor lightBandTop{222, 220, 215};
inline const QColor lightBandBottom{180, 178, 173};

inline const QColor lettering{232, 229, 222};     // light text on dark ground
inline const QColor dimLettering{160, 155, 147};
inline const QColor darkLettering{52, 50, 47};    // text on the light bands
inline const QColor legendLine{196, 192, 185};
inline const QColor panelLine{88, 84, 79};
inline const QColor legendIcon{128, 124, 118};    // type icons before an indicator covers them

inline const QColor accent{64, 148, 250};         // the blue of icons and the mark
inline const QColor accentDeep{28, 86, 170};
inline const QColor charge{250, 178, 48};          // the charge curve in the mark

} // namespace Palette
