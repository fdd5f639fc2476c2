#pragma once

#include <QByteArray>
#include <QString>

// The list's Windows-1252 text as the game's Qt code shows and edits it.
namespace scores
{

// Every byte maps to one character and back again (bestlist/cp1252.h).
QString decode1252(QByteArrayView bytes);
// A character outside the code page becomes one "?".
QByteArray encode1252(QStringView text);

} // namespace scores
