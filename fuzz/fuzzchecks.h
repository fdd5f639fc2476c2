#pragma once

#include <cstddef>
#include <cstdint>

// Properties that must hold for any input; a violation aborts with a message. Used by the
// libFuzzer targets and, on the saved corpus, by the regular tests.
namespace fuzzchecks
{

// The input is a score file's content; the score to qualify and merge is derived from its bytes.
void scoreFile(const std::uint8_t* data, std::size_t size);

// The input is the text typed into the length box, as UTF-8.
void typedLength(const std::uint8_t* data, std::size_t size);

// The input is what the game's helper receives: the score argument, a line feed, and the name.
void helperRequest(const std::uint8_t* data, std::size_t size);

} // namespace fuzzchecks
