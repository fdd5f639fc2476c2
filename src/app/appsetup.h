#pragma once

#include <QFont>

class QApplication;

namespace app {

// The face closest to the design's (same metrics as Arial), with fallbacks so that the game
// still runs where it is missing. Sizes in pixels: 8.25, 9.75 and 12 pt at 96 dpi.
QFont gameFont(int pixelSize, bool bold = false);
inline constexpr int standardPx = 11;
inline constexpr int mediumPx = 13;
inline constexpr int largePx = 16;

// Style, font, icon and German texts of Qt's own dialogs, whatever the system's locale.
// Returns false when the German translations could not be loaded.
bool setupApplication(QApplication& application);

} // namespace app
