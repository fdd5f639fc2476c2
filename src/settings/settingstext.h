#pragma once

#include <QString>

#include <optional>

namespace settings
{

enum class Speed { Slow, Medium, Fast };

struct SpeedInfo {
    QString word;      // the adjective in the status line
    int displayMs = 0; // how long each colour stays visible
};
SpeedInfo speedInfo(Speed speed);

// [ Einstellung: ][number text of the length][ Farben merken bei ][word][ Geschwindigkeit.]
QString statusText(int length, const QString& speedword);

// [ Einstellung:  Spanne messen bei ][word][ Geschwindigkeit.]
QString spanStatusText(const QString& speedword);

inline constexpr int minLength = 1;
inline constexpr int maxLength = 500;

// A typed length: a whole decimal number from 1 to 500, blanks around it allowed.
std::optional<int> parseLength(const QString& answer);

} // namespace settings
