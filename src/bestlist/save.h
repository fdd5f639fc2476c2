#pragma once

#include "bestlist/merge.h"

#include <functional>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <vector>

// The game's own save into a list it may write, taken under the lock that every copy of the game
// takes: replaced whole and atomically where its folder is writable (under a lock on the folder
// too), else rewritten in place.
namespace bestlist
{

// Where a save of the list at path goes: a list that is a link to a list elsewhere is saved
// where the link points, so that the link stays. A shared list is never followed further.
std::string resolvedList(std::string path);

// A file's new content, written to out from its old content (null where there is none).
using Rewrite = std::function<SaveOutcome(Source* old, Sink& out)>;

// Under the lock that every copy of the game takes: replaces the file at path whole and
// atomically with what rewrite writes, where its folder may be written (under a lock on the
// folder too), else rewrites it in place; or leaves the old file as it was. A new file gets
// mode, less the umask; an old one keeps its own.
SaveOutcome saveFile(const std::string& path, const Rewrite& rewrite, mode_t mode = 0666);

// Merges the entry line into the list at path (a missing file is an empty list) and writes the
// result, or leaves the old file as it was; a shared list goes by its own rules (shared.h).
SaveOutcome saveLine(const std::string& path, std::string_view entryLine,
                     std::vector<HeldLine>* held = nullptr);

} // namespace bestlist
