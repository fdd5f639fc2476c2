#pragma once

#include "bestlist/merge.h"

#include <string>
#include <string_view>
#include <vector>

// A list shared by the users of a machine (the Debian package's) lies in a folder of its own with
// a spare beside it (and, until its first entry, a reserve), and a lock file that only the game's
// helper and root may open, all made by the package. A save writes the new list into the spare
// and swaps the two names in one step: the list is at every moment the old one or the new one,
// and no file changes its owner, group or mode. Nothing in that folder is opened through a link.
namespace bestlist
{

inline constexpr auto spareSuffix = ".spare";
inline constexpr auto reserveSuffix = ".reserve";
inline constexpr auto lockSuffix = ".lock";
// The old list's second name while a save goes by links, where names cannot be swapped.
inline constexpr auto keptSuffix = ".kept";

// Whether path is a shared list: a spare or a reserve stands beside it, in whatever form, or the
// old list's second name where a save by links was killed before its last step.
bool isShared(const std::string& path);
// Whether this process may take the shared list's lock itself (root and the group may).
bool mayLockShared(const std::string& path);

// Under the lock: merges the entry line into the shared list at path (a missing list is an empty
// one, filled into the reserve) and puts the new list in place, or leaves everything as it was.
SaveOutcome saveShared(const std::string& path, std::string_view entryLine,
                       std::vector<HeldLine>* held = nullptr);

// For the tests: from now on saves go as on a file system that cannot swap two names.
void forgoExchange();

} // namespace bestlist
