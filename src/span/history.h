#pragma once

#include "bestlist/merge.h"
#include "span/procedure.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Each player's own record of span tests: a plain UTF-8 text file, one test per line,
//   2026-12-09T15:44+01:00 schnell 7 3+,4+,5-,5+,6+,7+,8-,8-
// its local date and time with the offset from UTC, the speed, the span, and the trials as
// lengths, each with + (repeated in full) or - (failed). Fields that a later version adds after
// these are passed over; a line that cannot be read is skipped, and kept in the file.
namespace span
{

enum class Speed { Fast, Medium, Slow };
// "schnell", "mittel", "langsam", as the menu names them.
std::string_view speedName(Speed speed);

// A moment as a clock showed it: minutes since 1970 in UTC, and how far the local time was
// ahead of UTC, in minutes.
struct When {
    std::int64_t utcMinutes = 0;
    int offsetMinutes = 0;
    bool operator==(const When&) const = default;
};

struct Test {
    When when;
    Speed speed = Speed::Medium;
    int span = 0;
    std::vector<Trial> trials;
    bool operator==(const Test&) const = default;
};

// The test's line, without its line end.
std::string lineOf(const Test& test);
std::optional<Test> parseLine(std::string_view line);

// The course shows this many tests at most.
inline constexpr std::size_t courseLength = 500;

struct Course {
    enum class Read { Ok, Missing, Unreadable, TooLarge };
    Read read = Read::Missing;
    // The last tests that can be read, oldest first.
    std::vector<Test> tests;
    // Lines come before them that were not read.
    bool more = false;
};
// Reads the file at path from its end, in chunks: any size costs a chunk and the tests kept.
Course readCourse(const std::string& path, std::size_t most = courseLength);

// Adds the test as the last line of the file at path, under the lock and atomically, with the
// folders that lead to it made where there are none, for the player alone, as is the file.
bestlist::SaveOutcome addTest(const std::string& path, const Test& test);

} // namespace span
