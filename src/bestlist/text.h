#pragma once

#include <algorithm>
#include <cstddef>
#include <string>
#include <string_view>

// The lines of the list as bytes: how the game writes a result and how it reads a score back.
namespace bestlist
{

// Decimal digits after one blank for zero and positive numbers, after "-" for negative ones.
std::string numberText(long long n);

// A character that a name may not bring into the list: a control character (C0, DEL or C1),
// which would break the line or reach the terminal of whoever prints the list.
inline bool isControl(char32_t c)
{
    return c < 0x20 || (c >= 0x7F && c <= 0x9F);
}

// [number text]"  Punkte für  "[name] in Windows-1252: every control character of the name
// becomes a blank, every character outside the code page one "?".
std::string scoreLine(int score, std::u32string_view name);

// The value of the first three characters: blanks, tabs and line feeds dropped, then an optional
// sign and decimal digits for as far as they go; 0 when no number stands there. Inline: a list
// may have tens of millions of lines to score.
inline int lineScore(std::string_view line)
{
    char head[3] = {};
    int n = 0;
    for (std::size_t i = 0; i < std::min<std::size_t>(line.size(), 3); ++i) {
        const char c = line[i];
        if (c != ' ' && c != '\t' && c != '\n')
            head[n++] = c;
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

} // namespace bestlist
