#pragma once

#include <QString>

namespace scores
{

// Decimal digits after one blank for zero and positive numbers, after "-" for negative ones.
QString numberText(qint64 n);

// [number text]"  Punkte für  "[name]; line breaks in the name become blanks so that a name
// can never split its line in the file.
QString scoreLine(int score, const QString& name);

// The value of the first three characters: blanks, tabs and line feeds dropped, then an optional
// sign and decimal digits for as far as they go; 0 when no number stands there.
int lineScore(const QString& line);

} // namespace scores
