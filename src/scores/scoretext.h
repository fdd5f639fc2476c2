#pragma once

#include <QString>

#include <algorithm>

namespace scores
{

// Decimal digits after one blank for zero and positive numbers, after "-" for negative ones.
QString numberText(qint64 n);

// [number text]"  Punkte für  "[name]; line breaks in the name become blanks so that a name
// can never split its line in the file.
QString scoreLine(int score, const QString& name);

namespace detail
{

inline int code(QChar c)
{
    return c.unicode();
}

inline int code(char c)
{
    return static_cast<unsigned char>(c);
}

// Inline: a list may have tens of millions of lines to score.
template <class Text> int lineScore(Text line)
{
    char head[3] = {};
    int n = 0;
    for (qsizetype i = 0; i < std::min<qsizetype>(line.size(), 3); ++i) {
        const int c = code(line[i]);
        if (c != ' ' && c != '\t' && c != '\n')
            head[n++] = c < 0x80 ? char(c) : 'x'; // only ASCII can be a sign or a digit
    }
    int pos = 0;
    const bool negative = n > 0 && head[0] == '-';
    if (n > 0 && (head[0] == '-' || head[0] == '+'))
        ++pos;
    int value = 0; // at most three digits: no overflow
    for (; pos < n && head[pos] >= '0' && head[pos] <= '9'; ++pos)
        value = value * 10 + (head[pos] - '0');
    return negative ? -value : value;
}

} // namespace detail

// The value of the first three characters: blanks, tabs and line feeds dropped, then an optional
// sign and decimal digits for as far as they go; 0 when no number stands there.
inline int lineScore(QStringView line)
{
    return detail::lineScore(line);
}

// The same of a line's Windows-1252 bytes: one byte is one character.
inline int lineScore(QByteArrayView line)
{
    return detail::lineScore(line);
}

} // namespace scores
