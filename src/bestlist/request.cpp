#include "bestlist/request.h"

#include "bestlist/text.h"

namespace bestlist
{

std::optional<std::u32string> decodeUtf8(std::string_view bytes)
{
    std::u32string text;
    text.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size();) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        std::size_t more = 0;
        char32_t c = lead;
        char32_t least = 0;
        if (lead >= 0xC2 && lead <= 0xDF) {
            more = 1;
            c = lead & 0x1F;
            least = 0x80;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            more = 2;
            c = lead & 0x0F;
            least = 0x800;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            more = 3;
            c = lead & 0x07;
            least = 0x10000;
        } else if (lead >= 0x80) {
            return std::nullopt;
        }
        if (bytes.size() - i <= more)
            return std::nullopt;
        for (std::size_t k = 1; k <= more; ++k) {
            const auto next = static_cast<unsigned char>(bytes[i + k]);
            if ((next & 0xC0) != 0x80)
                return std::nullopt;
            c = (c << 6) | (next & 0x3F);
        }
        if (c < least || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
            return std::nullopt;
        text += c;
        i += more + 1;
    }
    return text;
}

std::optional<std::string> requestedLine(std::string_view score, std::string_view name)
{
    // As the game writes a score: decimal digits, no sign, no leading zero, nothing around them.
    if (score.empty() || score.size() > 3 || (score.size() > 1 && score.front() == '0'))
        return std::nullopt;
    int value = 0;
    for (const char digit : score) {
        if (digit < '0' || digit > '9')
            return std::nullopt;
        value = value * 10 + (digit - '0');
    }
    if (value > maxScore || name.empty() || name.size() > longestName ||
        name.find('\0') != std::string_view::npos)
        return std::nullopt;
    // Every byte as it is: a leading byte order mark is a character of the name too.
    const std::optional<std::u32string> text = decodeUtf8(name);
    if (!text)
        return std::nullopt;
    return scoreLine(value, *text);
}

} // namespace bestlist
