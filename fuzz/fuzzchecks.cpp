#include "fuzzchecks.h"

#include "support/lines.h"

#include "bestlist/linescan.h"
#include "bestlist/merge.h"
#include "bestlist/request.h"
#include "bestlist/text.h"
#include "scores/cp1252.h"
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
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    int sum = 0;
    for (const char b : bytes)
        sum += static_cast<unsigned char>(b);
    const int score = sum % 256 - 28; // negative ones and those of 100 and more too

    require(scores::encode1252(scores::decode1252(bytes)) == bytes, "bytes survive decoding");

    // The game reads in chunks what the reference reads whole; small chunks split every kind of
    // line end between two of them.
    const QStringList lines = reference::splitLines(bytes);
    bestlist::BytesSource list(bytes.toStdString());
    QStringList scanned;
    require(bestlist::scanLines(
                list, 1 << 20,
                [&](const bestlist::ScannedLine& line) {
                    require(qint64(line.head.size()) == line.length, "the whole line as its head");
                    scanned << scores::decode1252(
                        QByteArrayView(line.head.data(), qsizetype(line.head.size())));
                    return true;
                },
                std::size_t(1 + sum % 17)),
            "the scan reads");
    require(scanned == lines, "the lines the reference finds");

    for (const QString& line : lines) {
        const int value = scores::lineScore(line);
        require(value >= -99 && value <= 999, "line score within three characters");
    }
    const bestlist::Count count = bestlist::countLines(list, score);
    require(count.ok && count.lines == lines.size(), "every line counted");
    require(count.qualifies() == reference::qualifies(lines, score), "the qualification");

    const QString entry = scores::scoreLine(
        score, scores::decode1252(bytes.first(std::min<qsizetype>(bytes.size(), 40))));
    require(std::none_of(entry.begin(), entry.end(),
                         [](QChar c) {
                             const char16_t u = c.unicode();
                             return u < 0x20 || (u >= 0x7F && u <= 0x9F);
                         }),
            "a name brings no control character, nor a line break");
    bestlist::StringSink out;
    require(bestlist::writeMerged(&list, out, scores::encode1252(entry).toStdString()) ==
                bestlist::SaveOutcome::Saved,
            "merged");
    const QStringList result = reference::merged(lines, entry);
    require(QByteArray::fromStdString(out.bytes) == reference::joinLines(result),
            "the merge the reference makes");

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

void helperRequest(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const qsizetype split = bytes.indexOf('\n');
    const QByteArray score = split < 0 ? bytes : bytes.first(split);
    const QByteArray name = split < 0 ? QByteArray() : bytes.mid(split + 1);
    const std::optional<std::string> line =
        bestlist::requestedLine(score.toStdString(), name.toStdString());

    // Taken exactly when the score is one the game writes and the name is text that the game
    // could send: non-empty UTF-8 that survives decoding, without NUL, of bounded length.
    const bool number =
        !score.isEmpty() && score.size() <= 3 &&
        std::all_of(score.begin(), score.end(), [](char c) { return c >= '0' && c <= '9'; }) &&
        (score.size() == 1 || score[0] != '0') && score.toInt() <= 500;
    // Behind another character, so that a byte order mark is text like any other.
    QString text = QString::fromUtf8("x" + name);
    const bool validText = !name.isEmpty() && name.size() <= qsizetype(bestlist::longestName) &&
                           !name.contains('\0') && text.toUtf8() == "x" + name;
    text.remove(0, 1);
    require(line.has_value() == (number && validText), "taken exactly when score and name are");
    if (!line)
        return;
    // Control characters become blanks, characters outside the code page "?".
    QString safe = text;
    for (QChar& c : safe) {
        if (c.unicode() < 0x20 || (c.unicode() >= 0x7F && c.unicode() <= 0x9F))
            c = QLatin1Char(' ');
    }
    const QByteArray expected =
        " " + score + scores::encode1252(QStringLiteral("  Punkte für  ") + safe);
    require(QByteArray::fromStdString(*line) == expected, "the line the game writes");
    // Three characters are read back: a score of 100 or more as its first two digits.
    require(bestlist::lineScore(*line) == (score.size() > 2 ? score.left(2) : score).toInt(),
            "its line score");
}

} // namespace fuzzchecks
