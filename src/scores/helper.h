#pragma once

#include "scores/scorefile.h"

#include <QByteArrayView>
#include <QString>

#include <optional>

// The game's helper: a small program installed beside the game, setgid to the group that may
// write the shared list of the machine, through which a player's game saves into that list. It
// takes the score as its one argument and the name, in UTF-8, on its input, and answers with its
// exit status.
namespace scores
{

inline constexpr auto helperName = "graue-zellen-score";
// The highest score a round gives: every colour of the longest sequence right.
inline constexpr int maxScore = 500;
// The longest name the helper takes, in bytes of UTF-8: eleven lines of such names keep the list
// far below the size that every reader refuses.
inline constexpr qsizetype longestName = qsizetype(1) << 20;
// The exit status for input that the helper does not take; any other is a SaveOutcome.
inline constexpr int refusedStatus = 64;

// The line for a score and a name as the helper receives them, or nothing unless the score is one
// that a round gives, written as the game writes it, and the name non-empty UTF-8 text without
// NUL and no longer than longestName.
std::optional<QString> requestedLine(QByteArrayView score, QByteArrayView name);

// The helper's answer: the outcome as exit status, and back; an unknown status is a failed write.
inline int exitStatus(SaveOutcome outcome)
{
    return static_cast<int>(outcome);
}
SaveOutcome outcomeOf(int status);

// Runs the helper for the entry and waits for its answer.
SaveOutcome saveThroughHelper(const QString& helper, int score, const QString& name);

} // namespace scores
