#include "fuzzchecks.h"

#include "scores/cp1252.h"
#include "scores/ranking.h"
#include "scores/scoretext.h"
#include "settings/settingstext.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace fuzzchecks
{

namespace
{

void require(bool condition, const char* what)
{
    if (!condition) {
        std::fprintf(stderr, "fuzz check failed: %s\n", what);
        std::abort();
    }
}

} // namespace

void scoreFile(const std::uint8_t* data, std::size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    int sum = 0;
    for (const char b : bytes)
        sum += static_cast<unsigned char>(b);
    const int score = sum % 256 - 28; // negative ones and those of 100 and more too

    require(scores::encode1252(scores::decode1252(bytes)) == bytes, "bytes survive decoding");

    const QStringList lines = scores::splitLines(bytes);
    for (const QString& line : lines) {
        require(!line.contains(QLatin1Char('\r')), "no CR inside a line");
        const int value = scores::lineScore(line);
        require(value >= -99 && value <= 999, "line score within three characters");
    }
    require(scores::splitLines(scores::joinLines(lines)) == lines, "lines survive a rewrite");

    if (lines.size() < 9)
        require(scores::qualifies(lines, score), "a short list always has room");

    const QString entry = scores::scoreLine(
        score, scores::decode1252(bytes.first(std::min<qsizetype>(bytes.size(), 40))));
    require(!entry.contains(QLatin1Char('\r')) && !entry.contains(QLatin1Char('\n')),
            "a name never breaks the line");
    const int entryScore = scores::lineScore(entry);
    const QStringList result = scores::merged(lines, entry);
    const QStringList kept = lines.mid(0, scores::keptLines);
    require(result.size() == kept.size() + 1, "ten old lines at most, and the new one");
    const qsizetype at = result.indexOf(entry);
    require(at >= 0, "the new line is in");
    QStringList rest = result;
    rest.removeAt(at);
    require(rest == kept, "old lines kept unchanged and in order");
    for (qsizetype i = 0; i < at; ++i)
        require(scores::lineScore(result[i]) > entryScore, "lines before it score higher");
    if (at + 1 < result.size())
        require(scores::lineScore(result[at + 1]) <= entryScore, "the next line is not higher");
}

void typedLength(const std::uint8_t* data, std::size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    const std::optional<int> length = settings::parseLength(text);

    // What a player may type: ASCII digits, blanks around them, a value from 1 to 500.
    QString digits = text.trimmed();
    bool onlyDigits = !digits.isEmpty();
    for (const QChar c : digits)
        onlyDigits = onlyDigits && c >= QLatin1Char('0') && c <= QLatin1Char('9');
    while (digits.startsWith(QLatin1Char('0')))
        digits.remove(0, 1);
    const int value = digits.size() <= 3 ? digits.toInt() : 1000;
    const bool valid = onlyDigits && value >= 1 && value <= 500;

    require(length.has_value() == valid, "accepted exactly the whole numbers from 1 to 500");
    if (length)
        require(*length == value, "the number typed");
}

} // namespace fuzzchecks
