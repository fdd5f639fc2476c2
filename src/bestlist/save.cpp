#include "bestlist/save.h"

#include "bestlist/io.h"
#include "bestlist/lock.h"
#include "bestlist/shared.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <fcntl.h>
#include <memory>
#include <optional>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace bestlist
{

namespace
{

// The new list's name until it is whole. Only the holder of the folder's lock uses it, so one
// name serves every copy of the game, and a save killed halfway leaves one file at most, which
// the next save removes.
constexpr auto newSuffix = ".new";

struct CloseFile {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

// Copies the merged list over the list from its start. Room first, so that a full disk or a size
// limit fails before the old list is touched.
SaveOutcome copyOver(Source& merged, long long size, int list)
{
    rlimit limit{};
    if (::getrlimit(RLIMIT_FSIZE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY &&
        rlim_t(size) > limit.rlim_cur)
        return SaveOutcome::WriteFailed;
#ifdef __linux__
    if (::fallocate(list, FALLOC_FL_KEEP_SIZE, 0, off_t(size)) != 0 && errno != EOPNOTSUPP)
        return SaveOutcome::WriteFailed;
#endif
    FdSink out(list);
    bool read = true;
    if (::lseek(list, 0, SEEK_SET) != 0 || !copyRange(merged, 0, size, out, read) ||
        ::ftruncate(list, off_t(size)) != 0 || ::fsync(list) != 0)
        return SaveOutcome::WriteFailed;
    return SaveOutcome::Saved;
}

// Where the folder cannot take a new file: the list is locked, merged into a temporary file
// elsewhere and copied back over itself.
SaveOutcome rewriteInPlace(const std::string& path, const Rewrite& rewrite, Deadline deadline)
{
    Descriptor list;
    switch (lockList(path, O_RDWR, deadline, list)) {
    case Lock::Busy:
        return SaveOutcome::Busy;
    case Lock::Missing:
    case Lock::Failed:
        return SaveOutcome::WriteFailed;
    case Lock::Locked:
        break;
    }
    if (readable(list.get()) != Opened::Ok)
        return SaveOutcome::ReadFailed;
    const std::unique_ptr<std::FILE, CloseFile> scratch(std::tmpfile());
    if (!scratch)
        return SaveOutcome::WriteFailed;
    const int mergedFd = ::fileno(scratch.get());
    FdSource old(list.get());
    FdSink out(mergedFd);
    const SaveOutcome outcome = rewrite(&old, out);
    if (outcome != SaveOutcome::Saved)
        return outcome;
    const off_t size = ::lseek(mergedFd, 0, SEEK_END);
    if (size < 0)
        return SaveOutcome::WriteFailed;
    FdSource merged(mergedFd);
    return copyOver(merged, size, list.get());
}

// The new file written beside the old one, with its permission bits, and renamed over it.
SaveOutcome replace(int folder, const std::string& name, int list, const Rewrite& rewrite,
                    mode_t mode)
{
    const std::string newName = name + newSuffix;
    if (::unlinkat(folder, newName.c_str(), 0) != 0 && errno != ENOENT)
        return SaveOutcome::WriteFailed;
    const Descriptor out(::openat(folder, newName.c_str(),
                                  O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode));
    if (!out.valid())
        return SaveOutcome::WriteFailed;
    struct stat oldStat {
    };
    std::optional<FdSource> old;
    if (list >= 0)
        old.emplace(list);
    FdSink sink(out.get());
    SaveOutcome outcome = SaveOutcome::WriteFailed;
    if (list < 0 ||
        (::fstat(list, &oldStat) == 0 && ::fchmod(out.get(), oldStat.st_mode & 07777) == 0))
        outcome = rewrite(old ? &*old : nullptr, sink);
    if (outcome == SaveOutcome::Saved &&
        (::fsync(out.get()) != 0 || ::renameat(folder, newName.c_str(), folder, name.c_str()) != 0))
        outcome = SaveOutcome::WriteFailed;
    if (outcome != SaveOutcome::Saved) {
        ::unlinkat(folder, newName.c_str(), 0);
        return outcome;
    }
    ::fsync(folder);
    return SaveOutcome::Saved;
}

} // namespace

std::string resolvedList(std::string path)
{
    for (int hop = 0; hop < 8 && !isShared(path); ++hop) {
        char target[PATH_MAX];
        const ssize_t length = ::readlink(path.c_str(), target, sizeof target);
        if (length <= 0 || std::size_t(length) >= sizeof target)
            break;
        const std::string_view to(target, std::size_t(length));
        path = to.front() == '/' ? std::string() : folderOf(path) + '/';
        path += to;
    }
    return path;
}

SaveOutcome saveFile(const std::string& path, const Rewrite& rewrite, mode_t mode)
{
    const Deadline deadline = std::chrono::steady_clock::now() + lockWait;
    const std::string folder = folderOf(path);
    if (::access(folder.c_str(), W_OK | X_OK) != 0 && errno == EACCES)
        return rewriteInPlace(path, rewrite, deadline);

    // The folder is locked as well as the file, which the first save has yet to create.
    const Descriptor folderLock(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (const auto failed = lockFailure(folderLock.get(), deadline))
        return *failed;
    // Decided inside the lock: another copy may have written the first entry meanwhile.
    Descriptor file;
    switch (lockList(path, O_RDONLY, deadline, file)) {
    case Lock::Busy:
        return SaveOutcome::Busy;
    case Lock::Failed:
        return SaveOutcome::ReadFailed;
    case Lock::Missing:
        break;
    case Lock::Locked:
        if (const Opened status = readable(file.get()); status != Opened::Ok)
            return status == Opened::TooLarge ? SaveOutcome::TooLarge : SaveOutcome::ReadFailed;
        break;
    }
    return replace(folderLock.get(), nameOf(path), file.get(), rewrite, mode);
}

SaveOutcome saveLine(const std::string& listPath, std::string_view entryLine,
                     std::vector<HeldLine>* held)
{
    const std::string path = resolvedList(listPath);
    if (isShared(path))
        return saveShared(path, entryLine, held);
    return saveFile(path,
                    [&](Source* old, Sink& out) { return writeMerged(old, out, entryLine, held); });
}

} // namespace bestlist
