#pragma once

#include <QStringList>

namespace scores
{

// Old lines that a merge keeps; the new line comes on top of them, 11 lines at most.
inline constexpr int keptLines = 10;

// A result earns a place when the list has fewer than 9 lines or any line scores lower.
bool qualifies(const QStringList& lines, int score);

// The first ten old lines in their order, with the new line before the first of them whose line
// score is not higher than its own, or after the last.
QStringList merged(const QStringList& oldLines, const QString& entryLine);

} // namespace scores
