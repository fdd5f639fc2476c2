#pragma once

#include "bestlist/request.h"
#include "scores/scorefile.h"

#include <QString>

// The game's helper: a small program installed beside the game, setgid to the group that may
// write the shared list of the machine, through which a player's game saves into that list. It
// takes the score as its one argument and the name, in UTF-8, on its input, and answers with its
// exit status (bestlist/request.h).
namespace scores
{

inline constexpr auto helperName = "graue-zellen-score";

// The helper's answer as an outcome; an unknown status is a failed write.
SaveOutcome outcomeOf(int status);

// Runs the helper for the entry and waits for its answer.
SaveOutcome saveThroughHelper(const QString& helper, int score, const QString& name);

} // namespace scores
