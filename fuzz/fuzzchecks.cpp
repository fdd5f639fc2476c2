#include "fuzzchecks.h"

#include "support/lines.h"

#include "scores/cp1252.h"
#include "scores/linescan.h"
#include "scores/scorefile.h"
#include "scores/scoretext.h"
#include "settings/settingstext.h"

#include <QBuffer>

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
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    int sum = 0;
    for (const char b : bytes)
        sum += static_cast<unsigned char>(b);
    const int score = sum % 256 - 28; // negative ones and those of 100 and more too

    require(scores::encode1252(scores::decode1252(bytes)) == bytes, "bytes survive decoding");

    // The game reads in chunks what the reference reads whole; small chunks split every kind of
    // line end between two of them.
    const QStringList lines = reference::splitLines(bytes);
    QBuffer list;
    list.setData(bytes);
    list.open(QIODevice::ReadOnly);
    QStringList scanned;
    require(scores::scanLines(
                list, 1 << 20,
                [&](const scores::ScannedLine& line) {
                    require(line.head.size() == line.length, "the whole line as its head");
                    scanned << scores::decode1252(line.head);
                    return true;
                },
                1 + sum % 17),
            "the scan reads");
    require(scanned == lines, "the lines the reference finds");

    for (const QString& line : lines) {
        const int value = scores::lineScore(line);
        require(value >= -99 && value <= 999, "line score within three characters");
    }
    list.seek(0);
    const scores::Count count = scores::countLines(list, score);
    require(count.ok && count.lines == lines.size(), "every line counted");
    require(count.qualifies() == reference::qualifies(lines, score), "the qualification");

    const QString entry = scores::scoreLine(
        score, scores::decode1252(bytes.first(std::min<qsizetype>(bytes.size(), 40))));
    require(!entry.contains(QLatin1Char('\r')) && !entry.contains(QLatin1Char('\n')),
            "a name never breaks the line");
    list.seek(0);
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    require(scores::writeMerged(&list, out, entry) == scores::SaveOutcome::Saved, "merged");
    const QStringList result = reference::merged(lines, entry);
    require(out.data() == reference::joinLines(result), "the merge the reference makes");

    // The reference itself keeps the rules: ten old lines at most in their order, the new one
    // below every line that scores higher and above the first that does not.
    const qsizetype at = result.indexOf(entry);
    QStringList rest = result;
    rest.removeAt(at);
    require(rest == lines.mid(0, 10), "old lines kept unchanged and in order");
    for (qsizetype i = 0; i < at; ++i)
        require(scores::lineScore(result[i]) > scores::lineScore(entry),
                "lines above score higher");
    if (at + 1 < result.size())
        require(scores::lineScore(result[at + 1]) <= scores::lineScore(entry),
                "the next line is not higher");
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
