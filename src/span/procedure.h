#pragma once

#include <vector>

// The memory span by the rule that psychologists use (as in the digit span and the block-tapping
// test): sequences from three colours on, each trial a new one; a trial repeated in full moves on
// to one colour more, a second trial of a length follows a failed one, and two failed trials of
// one length end the test. The span is the longest length repeated in full.
namespace span
{

inline constexpr int firstLength = 3;
// A round has room for 500 colours.
inline constexpr int longestLength = 500;

struct Trial {
    int length = 0;
    bool right = false;
    bool operator==(const Trial&) const = default;
};

class Procedure
{
public:
    // The length of the next trial.
    int length() const { return current; }
    bool finished() const { return over; }
    // The outcome of the trial of length().
    void record(bool right);
    // The longest length repeated in full; 0 when none was, below the first length.
    int span() const { return best; }
    const std::vector<Trial>& trials() const { return done; }

private:
    std::vector<Trial> done;
    int current = firstLength;
    int failed = 0;
    int best = 0;
    bool over = false;
};

} // namespace span
