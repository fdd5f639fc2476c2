#pragma once

#include "scores/cp1252.h"
#include "scores/scoretext.h"

#include <QStringList>

// The list of best results read and written whole, the simplest way: the reference that the game's
// chunked reading and merging are checked against, by the tests and by the fuzzers.
namespace reference
{

// A line ends at CR; an LF right after the CR belongs to the line end, a lone LF is text. A last
// line without an end marker is a line; a trailing CR LF makes no empty last line.
inline QStringList splitLines(QByteArrayView bytes)
{
    QStringList lines;
    qsizetype start = 0;
    while (start < bytes.size()) {
        qsizetype end = bytes.indexOf('\r', start);
        if (end < 0)
            end = bytes.size();
        lines << scores::decode1252(bytes.sliced(start, end - start));
        start = end + 1;
        if (start < bytes.size() && bytes[start] == '\n')
            ++start;
    }
    return lines;
}

inline QByteArray joinLines(const QStringList& lines)
{
    QByteArray bytes;
    for (const QString& line : lines)
        bytes += scores::encode1252(line) + "\r\n";
    return bytes;
}

// Fewer than 9 lines, or any line that scores lower.
inline bool qualifies(const QStringList& lines, int score)
{
    if (lines.size() < 9)
        return true;
    for (const QString& line : lines) {
        if (scores::lineScore(line) < score)
            return true;
    }
    return false;
}

// The first ten old lines, the new one before the first of them that scores no higher.
inline QStringList merged(const QStringList& old, const QString& entry)
{
    QStringList result = old.mid(0, 10);
    qsizetype at = 0;
    while (at < result.size() && scores::lineScore(result[at]) > scores::lineScore(entry))
        ++at;
    result.insert(at, entry);
    return result;
}

} // namespace reference
