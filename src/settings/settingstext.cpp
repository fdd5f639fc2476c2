#include "settings/settingstext.h"

#include "scores/scoretext.h"

namespace settings
{

SpeedInfo speedInfo(Speed speed)
{
    switch (speed) {
    case Speed::Slow:
        return {QStringLiteral("langsamer"), 2500};
    case Speed::Fast:
        return {QStringLiteral("schneller"), 750};
    case Speed::Medium:
        break;
    }
    return {QStringLiteral("mittlerer"), 1500};
}

QString statusText(int length, const QString& speedword)
{
    return QStringLiteral(" Einstellung: ") + scores::numberText(length) +
           QStringLiteral(" Farben merken bei ") + speedword + QStringLiteral(" Geschwindigkeit.");
}

QString spanStatusText(const QString& speedword)
{
    return QStringLiteral(" Einstellung:  Spanne messen bei ") + speedword +
           QStringLiteral(" Geschwindigkeit.");
}

std::optional<int> parseLength(const QString& answer)
{
    const QString text = answer.trimmed();
    if (text.isEmpty())
        return std::nullopt;
    int value = 0;
    for (const QChar c : text) {
        // ASCII digits only: QChar::isDigit would take the digits of other scripts too.
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return std::nullopt;
        value = value * 10 + (c.unicode() - '0');
        if (value > maxLength)
            return std::nullopt;
    }
    if (value < minLength)
        return std::nullopt;
    return value;
}

} // namespace settings
