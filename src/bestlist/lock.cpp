#include "bestlist/lock.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>

namespace bestlist
{

Lock takeLock(int fd, Deadline deadline)
{
    while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if (errno == EINTR)
            continue;
        if (errno != EWOULDBLOCK)
            return Lock::Failed;
        if (std::chrono::steady_clock::now() >= deadline)
            return Lock::Busy;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return Lock::Locked;
}

std::optional<SaveOutcome> lockFailure(int fd, Deadline deadline)
{
    if (fd < 0)
        return SaveOutcome::WriteFailed;
    switch (takeLock(fd, deadline)) {
    case Lock::Locked:
        return std::nullopt;
    case Lock::Busy:
        return SaveOutcome::Busy;
    default:
        return SaveOutcome::WriteFailed;
    }
}

Lock lockList(const std::string& path, int flags, Deadline deadline, Descriptor& list)
{
    for (;;) {
        Descriptor opened(::open(path.c_str(), flags | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
        if (!opened.valid())
            return errno == ENOENT || errno == EISDIR ? Lock::Missing : Lock::Failed;
        if (const Lock taken = takeLock(opened.get(), deadline); taken != Lock::Locked)
            return taken;
        struct stat held {
        };
        struct stat atPath {
        };
        if (::fstat(opened.get(), &held) != 0)
            return Lock::Failed;
        if (!S_ISREG(held.st_mode))
            return Lock::Missing;
        if (::stat(path.c_str(), &atPath) == 0 && atPath.st_dev == held.st_dev &&
            atPath.st_ino == held.st_ino) {
            list = std::move(opened);
            return Lock::Locked;
        }
    }
}

} // namespace bestlist
