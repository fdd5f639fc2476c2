#include "bestlist/text.h"

#include "bestlist/cp1252.h"

namespace bestlist
{

std::string numberText(long long n)
{
    return n < 0 ? std::to_string(n) : ' ' + std::to_string(n);
}

std::string scoreLine(int score, std::u32string_view name)
{
    std::string line = numberText(score) + "  Punkte f\xfcr  ";
    line.reserve(line.size() + name.size());
    for (const char32_t c : name) {
        const int byte = isControl(c) ? ' ' : byteOf(c);
        line += byte < 0 ? '?' : char(byte);
    }
    return line;
}

} // namespace bestlist
