#include "scores/ranking.h"

#include "scores/scoretext.h"

#include <algorithm>

namespace scores
{

bool qualifies(const QStringList& lines, int score)
{
    if (lines.size() < 9)
        return true;
    return std::any_of(lines.begin(), lines.end(),
                       [score](const QString& line) { return lineScore(line) < score; });
}

QStringList merged(const QStringList& oldLines, const QString& entryLine)
{
    const int entryScore = lineScore(entryLine);
    QStringList result;
    bool placed = false;
    for (const QString& line : oldLines.mid(0, keptLines)) {
        if (!placed && lineScore(line) <= entryScore) {
            result.append(entryLine);
            placed = true;
        }
        result.append(line);
    }
    if (!placed)
        result.append(entryLine);
    return result;
}

} // namespace scores
