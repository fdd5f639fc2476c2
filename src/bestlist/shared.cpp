#include "bestlist/shared.h"

#include "bestlist/io.h"
#include "bestlist/lock.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace bestlist
{

namespace
{

bool exchangeForgone = false;

bool sameFile(const struct stat& a, const struct stat& b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// The entry named in the folder itself, never what a link there points to.
bool entryAt(int folder, const std::string& name, struct stat& entry)
{
    return ::fstatat(folder, name.c_str(), &entry, AT_SYMLINK_NOFOLLOW) == 0;
}

// Finishes a save by links that was killed between two of its steps: the old list's second name
// goes where the list still is the old one, and becomes the spare where the new list is in place.
bool repair(int folder, const std::string& name)
{
    const std::string kept = name + keptSuffix;
    const std::string spare = name + spareSuffix;
    struct stat keptStat {
    };
    if (!entryAt(folder, kept, keptStat))
        return errno == ENOENT;
    if (!S_ISREG(keptStat.st_mode))
        return false;
    struct stat other {
    };
    const bool isList = entryAt(folder, name, other) && sameFile(other, keptStat);
    const bool spareMissing = !entryAt(folder, spare, other) && errno == ENOENT;
    if (!isList && spareMissing)
        return ::renameat(folder, kept.c_str(), folder, spare.c_str()) == 0;
    return ::unlinkat(folder, kept.c_str(), 0) == 0;
}

// Where the file system cannot swap two names, each step still leaves a whole list at the
// list's name: a second name for the old list, the new list renamed over the list, the old list
// renamed to be the spare.
SaveOutcome swapByLinks(int folder, const std::string& name, const std::string& spare)
{
    const std::string kept = name + keptSuffix;
    if (::linkat(folder, name.c_str(), folder, kept.c_str(), 0) != 0)
        return SaveOutcome::WriteFailed;
    if (::renameat(folder, spare.c_str(), folder, name.c_str()) != 0) {
        ::unlinkat(folder, kept.c_str(), 0);
        return SaveOutcome::WriteFailed;
    }
    // The entry is in; should the last step fail, the next save finishes it.
    ::renameat(folder, kept.c_str(), folder, spare.c_str());
    return SaveOutcome::Saved;
}

} // namespace

bool isShared(const std::string& path)
{
    struct stat entry {
    };
    return ::lstat((path + spareSuffix).c_str(), &entry) == 0 ||
           ::lstat((path + reserveSuffix).c_str(), &entry) == 0 ||
           ::lstat((path + keptSuffix).c_str(), &entry) == 0;
}

bool mayLockShared(const std::string& path)
{
    return ::access((path + lockSuffix).c_str(), R_OK | W_OK) == 0;
}

void forgoExchange()
{
    exchangeForgone = true;
}

SaveOutcome saveShared(const std::string& path, std::string_view entryLine,
                       std::vector<HeldLine>* held)
{
    const std::string name = nameOf(path);
    const Descriptor folder(::open(folderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!folder.valid())
        return SaveOutcome::WriteFailed;
    const auto openIn = [&folder](const std::string& file, int flags) {
        return Descriptor(::openat(folder.get(), file.c_str(),
                                   flags | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    };
    const Descriptor lock = openIn(name + lockSuffix, O_RDONLY);
    if (const auto failed = lockFailure(lock.get(), std::chrono::steady_clock::now() + lockWait))
        return *failed;
    if (!repair(folder.get(), name))
        return SaveOutcome::WriteFailed;

    const Descriptor list = openIn(name, O_RDONLY);
    const bool missing = !list.valid() && errno == ENOENT;
    struct stat listStat {
    };
    std::optional<FdSource> old;
    if (!missing) {
        if (!list.valid() || ::fstat(list.get(), &listStat) != 0)
            return SaveOutcome::ReadFailed;
        if (!S_ISREG(listStat.st_mode))
            return SaveOutcome::WriteFailed;
        if (listStat.st_size > maxFileSize)
            return SaveOutcome::TooLarge;
        old.emplace(list.get());
    }
    // A first entry takes the reserve, so that the spare stays for the entries to come. A spare
    // that is the list under a second name would be the list emptied.
    const std::string spareName = name + (missing ? reserveSuffix : spareSuffix);
    const Descriptor spare = openIn(spareName, O_RDWR);
    struct stat spareStat {
    };
    if (!spare.valid() || ::fstat(spare.get(), &spareStat) != 0 || !S_ISREG(spareStat.st_mode) ||
        (!missing && sameFile(spareStat, listStat)) || ::ftruncate(spare.get(), 0) != 0)
        return SaveOutcome::WriteFailed;
    FdSink merged(spare.get());
    if (const SaveOutcome outcome = writeMerged(old ? &*old : nullptr, merged, entryLine, held);
        outcome != SaveOutcome::Saved)
        return outcome;
    if (::fsync(spare.get()) != 0)
        return SaveOutcome::WriteFailed;
    // The new list takes the list's name in one step; the old one becomes the spare.
    if (missing) {
        if (::renameat(folder.get(), spareName.c_str(), folder.get(), name.c_str()) != 0)
            return SaveOutcome::WriteFailed;
    } else if (exchangeForgone || ::renameat2(folder.get(), spareName.c_str(), folder.get(),
                                              name.c_str(), RENAME_EXCHANGE) != 0) {
        if (!exchangeForgone && errno != EINVAL && errno != ENOSYS)
            return SaveOutcome::WriteFailed;
        if (swapByLinks(folder.get(), name, spareName) != SaveOutcome::Saved)
            return SaveOutcome::WriteFailed;
    }
    ::fsync(folder.get());
    return SaveOutcome::Saved;
}

} // namespace bestlist
