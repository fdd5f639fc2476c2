#pragma once

#include <QFont>
#include <QIcon>

class QApplication;

namespace app
{

// The face closest to the design's (same metrics as Arial), with fallbacks so that the game
// still runs where it is missing. Sizes in pixels: 8.25, 9.75 and 12 pt at 96 dpi.
QFont gameFont(int pixelSize, bool bold = false);
inline constexpr int standardPx = 11;
inline constexpr int mediumPx = 13;
inline constexpr int largePx = 16;
// The colours' names in the squares, at most.
inline constexpr int namePx = 40;

// The light bulb in 16, 32 and 64 pixels. Decoding it costs more than all the rest of the set-up,
// so the game sets it once its window is up.
QIcon applicationIcon();

// Names the game for the desktop, and sets the style, the font and the German texts of Qt's own
// dialogs, whatever the system's locale. Returns false when the German translations could not be
// loaded.
bool setupApplication(QApplication& application);

} // namespace app
