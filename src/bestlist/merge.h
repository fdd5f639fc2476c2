#pragma once

#include "bestlist/io.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// Counting a list for the qualification test and merging a new line into it.
namespace bestlist
{

// Old lines that a merge keeps; the new line comes on top of them, 11 lines at most.
inline constexpr std::size_t keptLines = 10;
// Old lines that a merge holds for the game to show; only the first keptLines reach the file.
inline constexpr std::size_t heldLines = 50;
// Lines are shown up to this many characters; the file keeps them whole.
inline constexpr std::size_t longestShown = 1000;

// Numbered: they are the answers of the game's helper too.
enum class SaveOutcome { Saved = 0, Busy = 1, ReadFailed = 2, WriteFailed = 3, TooLarge = 4 };

// One pass over a list: how many lines it has, and whether any line scores lower than the score.
struct Count {
    bool ok = false;
    int lines = 0;
    bool lowerFound = false;
    // A result earns a place when the list has fewer than 9 lines or any line scores lower.
    bool qualifies() const { return lines < 9 || lowerFound; }
};
Count countLines(Source& list, int score);
// Of the list at path; not ok when it cannot be read.
Count countLines(const char* path, int score);

// An old line as the game shows it: its first longestShown bytes and its whole length.
struct HeldLine {
    std::string head;
    long long length = 0;
};

// Writes the new list to out: the first ten lines of old (none when old is null) byte for byte in
// their order, with the entry line before the first of them that scores no higher than it, or
// after them. held receives the first heldLines old lines.
SaveOutcome writeMerged(Source* old, Sink& out, std::string_view entryLine,
                        std::vector<HeldLine>* held = nullptr);

} // namespace bestlist
