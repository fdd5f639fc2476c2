#pragma once

#include "bestlist/io.h"
#include "bestlist/merge.h"

#include <chrono>
#include <optional>
#include <string>

// The lock that every save takes: flock, which the kernel drops with the process, so that a copy
// of the game killed while saving never leaves a lock behind.
namespace bestlist
{

using Deadline = std::chrono::steady_clock::time_point;
// Short: another copy of the game holds the lock only for one small rewrite.
inline constexpr std::chrono::milliseconds lockWait{2000};

enum class Lock { Locked, Missing, Busy, Failed };

// Takes the exclusive lock on fd, waiting until the deadline.
Lock takeLock(int fd, Deadline deadline);

// Takes the lock on an open file or folder: nothing when it is held, else why no save follows.
std::optional<SaveOutcome> lockFailure(int fd, Deadline deadline);

// Opens the list with flags and takes its lock. An atomic replace by another copy leaves the
// locked file behind: then the file now at the path is locked instead. Anything but an ordinary
// file counts as missing.
Lock lockList(const std::string& path, int flags, Deadline deadline, Descriptor& list);

} // namespace bestlist
