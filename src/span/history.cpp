#include "span/history.h"

#include "bestlist/io.h"
#include "bestlist/save.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <memory>
#include <sys/stat.h>

namespace span
{

namespace
{

constexpr std::array<std::string_view, 3> speedNames = {"schnell", "mittel", "langsam"};
// A line of a test has at most 500 lengths of a few bytes each; anything longer is no test.
constexpr std::size_t longestLine = 8192;
constexpr std::size_t chunkBytes = std::size_t(64) * 1024;

// Days since 1970-01-01 of a date of the Gregorian calendar, and back (Howard Hinnant's
// algorithms for the proleptic Gregorian calendar).
std::int64_t daysFromCivil(int y, int m, int d)
{
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int yoe = int(y - era * 400);
    const int doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

struct Civil {
    int year, month, day;
};
Civil civilFromDays(std::int64_t z)
{
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int doe = int(z - era * 146097);
    const int yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int mp = (5 * doy + 2) / 153;
    const int d = doy - (153 * mp + 2) / 5 + 1;
    const int m = mp + (mp < 10 ? 3 : -9);
    return {int(yoe + era * 400) + (m <= 2), m, d};
}

// Reads count digits at the start of text, or fails.
bool digits(std::string_view& text, std::size_t count, int& value)
{
    if (text.size() < count)
        return false;
    value = 0;
    for (std::size_t i = 0; i < count; ++i) {
        if (text[i] < '0' || text[i] > '9')
            return false;
        value = value * 10 + (text[i] - '0');
    }
    text.remove_prefix(count);
    return true;
}

bool expect(std::string_view& text, char c)
{
    if (text.empty() || text.front() != c)
        return false;
    text.remove_prefix(1);
    return true;
}

// 2026-12-09T15:44+01:00, seconds and Z allowed.
std::optional<When> parseWhen(std::string_view text)
{
    int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0;
    if (!digits(text, 4, y) || !expect(text, '-') || !digits(text, 2, mo) || !expect(text, '-') ||
        !digits(text, 2, d) || !expect(text, 'T') || !digits(text, 2, h) || !expect(text, ':') ||
        !digits(text, 2, mi))
        return std::nullopt;
    if (!text.empty() && text.front() == ':' && (text.remove_prefix(1), !digits(text, 2, s)))
        return std::nullopt;
    static constexpr int monthDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
    if (mo < 1 || mo > 12 || d < 1 || d > monthDays[mo - 1] || (mo == 2 && d == 29 && !leap) ||
        h > 23 || mi > 59 || s > 60)
        return std::nullopt;
    int offset = 0;
    if (text == "Z") {
        text.remove_prefix(1);
    } else {
        if (text.empty() || (text.front() != '+' && text.front() != '-'))
            return std::nullopt;
        const int sign = text.front() == '-' ? -1 : 1;
        text.remove_prefix(1);
        int oh = 0, om = 0;
        if (!digits(text, 2, oh) || !expect(text, ':') || !digits(text, 2, om) || oh > 18 ||
            om > 59)
            return std::nullopt;
        offset = sign * (oh * 60 + om);
    }
    if (!text.empty())
        return std::nullopt;
    const std::int64_t local = daysFromCivil(y, mo, d) * 1440 + std::int64_t(h) * 60 + mi;
    return When{local - offset, offset};
}

std::optional<int> parseNumber(std::string_view text, int most)
{
    int value = 0;
    if (text.empty() || text.size() > 3 || text.front() == '+' || text.front() == '-')
        return std::nullopt;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value > most)
        return std::nullopt;
    return value;
}

// The next field of blanks or tabs apart, or empty at the end.
std::string_view field(std::string_view& text)
{
    const auto isBlank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    std::size_t n = 0;
    while (n < text.size() && !isBlank(text[n]))
        ++n;
    const std::string_view word = text.substr(0, n);
    text.remove_prefix(n);
    return word;
}

} // namespace

std::string_view speedName(Speed speed)
{
    return speedNames[std::size_t(speed)];
}

std::string lineOf(const Test& test)
{
    const std::int64_t local = test.when.utcMinutes + test.when.offsetMinutes;
    const std::int64_t days = local >= 0 ? local / 1440 : (local - 1439) / 1440;
    const int minutes = int(local - days * 1440);
    const Civil date = civilFromDays(days);
    const int offset = std::abs(test.when.offsetMinutes);
    char when[80];
    std::snprintf(when, sizeof when, "%04d-%02d-%02dT%02d:%02d%c%02d:%02d", date.year, date.month,
                  date.day, minutes / 60, minutes % 60, test.when.offsetMinutes < 0 ? '-' : '+',
                  offset / 60, offset % 60);
    std::string line = when;
    line += ' ';
    line += speedName(test.speed);
    line += ' ' + std::to_string(test.span) + ' ';
    for (std::size_t i = 0; i < test.trials.size(); ++i) {
        if (i > 0)
            line += ',';
        line += std::to_string(test.trials[i].length) + (test.trials[i].right ? '+' : '-');
    }
    return line;
}

std::optional<Test> parseLine(std::string_view line)
{
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    Test test;
    const auto when = parseWhen(field(line));
    if (!when)
        return std::nullopt;
    test.when = *when;
    const std::string_view speed = field(line);
    const auto named = std::find(speedNames.begin(), speedNames.end(), speed);
    if (named == speedNames.end())
        return std::nullopt;
    test.speed = Speed(named - speedNames.begin());
    const auto span = parseNumber(field(line), longestLength);
    if (!span)
        return std::nullopt;
    test.span = *span;
    std::string_view trials = field(line);
    while (!trials.empty()) {
        const std::size_t comma = trials.find(',');
        std::string_view trial = trials.substr(0, comma);
        trials.remove_prefix(comma == std::string_view::npos ? trials.size() : comma + 1);
        if (trial.size() < 2 || (trial.back() != '+' && trial.back() != '-'))
            return std::nullopt;
        const bool right = trial.back() == '+';
        trial.remove_suffix(1);
        const auto length = parseNumber(trial, longestLength);
        if (!length || *length < 1)
            return std::nullopt;
        test.trials.push_back({*length, right});
        if (comma != std::string_view::npos && trials.empty())
            return std::nullopt;
    }
    if (test.trials.empty())
        return std::nullopt;
    return test;
}

Course readCourse(const std::string& path, std::size_t most)
{
    Course course;
    bestlist::Descriptor file;
    switch (bestlist::openForReading(path.c_str(), file)) {
    case bestlist::Opened::Ok:
        break;
    case bestlist::Opened::Missing:
        return course;
    case bestlist::Opened::TooLarge:
        course.read = Course::Read::TooLarge;
        return course;
    case bestlist::Opened::Failed:
        course.read = Course::Read::Unreadable;
        return course;
    }
    struct stat about {
    };
    if (::fstat(file.get(), &about) != 0) {
        course.read = Course::Read::Unreadable;
        return course;
    }
    bestlist::FdSource source(file.get());
    const auto chunk = std::make_unique_for_overwrite<char[]>(chunkBytes);
    // The end of a line whose start lies in an earlier chunk; a line grown too long for a test
    // is not kept.
    std::string carry;
    bool overlong = false;
    const auto take = [&](std::string_view line) {
        if (!overlong && course.tests.size() < most) {
            if (auto test = parseLine(line))
                course.tests.push_back(std::move(*test));
        } else if (course.tests.size() >= most && !line.empty()) {
            course.more = true;
        }
    };
    long long pos = about.st_size;
    while (pos > 0 && !course.more) {
        const long long n = std::min<long long>(pos, chunkBytes);
        pos -= n;
        for (long long got = 0; got < n;) {
            const long long read =
                source.readAt(pos + got, chunk.get() + got, std::size_t(n - got));
            if (read <= 0) {
                course.read = Course::Read::Unreadable;
                course.tests.clear();
                return course;
            }
            got += read;
        }
        auto end = std::size_t(n);
        while (!course.more) {
            const void* found = ::memrchr(chunk.get(), '\n', end);
            if (!found)
                break;
            const auto i = std::size_t(static_cast<const char*>(found) - chunk.get());
            if (carry.empty())
                take(std::string_view(chunk.get() + i + 1, end - i - 1));
            else
                take(std::string(chunk.get() + i + 1, end - i - 1) + carry);
            carry.clear();
            overlong = false;
            end = i;
        }
        if (!overlong && end + carry.size() <= longestLine)
            carry.insert(0, chunk.get(), end);
        else {
            carry.clear();
            overlong = true;
        }
    }
    if (!course.more && (!carry.empty() || overlong))
        take(carry);
    std::reverse(course.tests.begin(), course.tests.end());
    course.read = Course::Read::Ok;
    return course;
}

bestlist::SaveOutcome addTest(const std::string& path, const Test& test)
{
    // The player's own folders, as the XDG base directories have them made: for the player alone.
    for (std::size_t slash = path.find('/', 1); slash != std::string::npos;
         slash = path.find('/', slash + 1)) {
        if (::mkdir(path.substr(0, slash).c_str(), 0700) != 0 && errno != EEXIST)
            return bestlist::SaveOutcome::WriteFailed;
    }
    const std::string line = lineOf(test) + '\n';
    return bestlist::saveFile(
        path,
        [&](bestlist::Source* old, bestlist::Sink& out) {
            // The old lines byte for byte, whatever they hold, then the new one on its own line.
            char last = '\n';
            if (old) {
                const auto chunk = std::make_unique_for_overwrite<char[]>(chunkBytes);
                for (long long at = 0;;) {
                    const long long got = old->readAt(at, chunk.get(), chunkBytes);
                    if (got < 0)
                        return bestlist::SaveOutcome::ReadFailed;
                    if (got == 0)
                        break;
                    if (!out.write(std::string_view(chunk.get(), std::size_t(got))))
                        return bestlist::SaveOutcome::WriteFailed;
                    last = chunk[std::size_t(got) - 1];
                    at += got;
                }
            }
            if ((last != '\n' && !out.write("\n")) || !out.write(line))
                return bestlist::SaveOutcome::WriteFailed;
            return bestlist::SaveOutcome::Saved;
        },
        0600);
}

} // namespace span
