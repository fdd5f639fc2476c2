#pragma once

#include <QString>

// The list's lines as the game's Qt code builds and scores them (bestlist/text.h).
namespace scores
{

// Decimal digits after one blank for zero and positive numbers, after "-" for negative ones.
QString numberText(qint64 n);

// The line the game writes for a score and a name, as it reads back from the file: control
// characters of the name are blanks, characters outside the code page "?".
QString scoreLine(int score, const QString& name);
// The same line's bytes in the file.
QByteArray scoreLineBytes(int score, const QString& name);

// The value of the line's first three characters.
int lineScore(QStringView line);
int lineScore(QByteArrayView line);

} // namespace scores
