#pragma once

#include <QByteArray>
#include <QString>

// The score file's text: Windows-1252, one byte per character.
namespace scores
{

// Every byte maps to one character and back again, so lines pass through a read and a rewrite
// unchanged. The five bytes the code page leaves undefined map to the C1 controls of the same
// value.
QString decode1252(QByteArrayView bytes);
// A character outside the code page becomes one "?".
QByteArray encode1252(QStringView text);

} // namespace scores
