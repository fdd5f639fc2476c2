#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// The score file's text format: Windows-1252, one byte per character, lines ending in CR LF.
namespace scores
{

// Every byte maps to one character and back again, so lines pass through a read and a rewrite
// unchanged. The five bytes the code page leaves undefined map to the C1 controls of the same
// value.
QString decode1252(QByteArrayView bytes);
// A character outside the code page becomes one "?".
QByteArray encode1252(QStringView text);

// A line ends at CR; an LF right after the CR belongs to the line end, a lone LF is text.
// A last line without an end marker is a line; a trailing CR LF makes no empty last line.
QStringList splitLines(QByteArrayView bytes);
// Each line, the last one included, followed by CR LF.
QByteArray joinLines(const QStringList& lines);

} // namespace scores
