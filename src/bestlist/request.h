#pragma once

#include "bestlist/merge.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// What the game's helper takes: the score as its one argument and the name, in UTF-8, on its
// input. It answers with its exit status: a SaveOutcome, or refusedStatus.
namespace bestlist
{

// The highest score a round gives: every colour of the longest sequence right.
inline constexpr int maxScore = 500;
// The longest name the helper takes, in bytes of UTF-8: eleven lines of such names keep the list
// far below the size that every reader refuses.
inline constexpr std::size_t longestName = std::size_t(1) << 20;
// The exit status for input that the helper does not take.
inline constexpr int refusedStatus = 64;

inline int exitStatus(SaveOutcome outcome)
{
    return static_cast<int>(outcome);
}

// The characters of UTF-8 text, or nothing unless every byte belongs to a whole, shortest-form
// sequence of a character (no surrogates, nothing beyond U+10FFFF, nothing cut short).
std::optional<std::u32string> decodeUtf8(std::string_view bytes);

// The line for a score and a name as the helper receives them, or nothing unless the score is one
// that a round gives, written as the game writes it, and the name non-empty UTF-8 text without
// NUL and no longer than longestName.
std::optional<std::string> requestedLine(std::string_view score, std::string_view name);

} // namespace bestlist
