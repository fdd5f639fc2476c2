#include "scores/scorefile.h"

#include "scores/cp1252.h"
#include "scores/helper.h"
#include "scores/linescan.h"
#include "scores/scoretext.h"

#include <QBuffer>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTemporaryFile>
#include <QThread>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <optional>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>
#include <vector>

namespace scores
{

namespace
{

// Short: a second copy of the game holds the lock only for one small rewrite.
constexpr int lockWaitMs = 2000;
constexpr qint64 copyChunk = qint64(64) * 1024;

// A descriptor that is closed, and its lock with it, when it goes out of scope.
struct Descriptor {
    int fd = -1;
    Descriptor() = default;
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    ~Descriptor()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

enum class Lock { Locked, Missing, Busy, Failed };

// Takes the exclusive lock on fd, waiting until the deadline. The kernel drops it with the
// process, so that a copy of the game killed while saving never leaves a lock behind.
Lock takeLock(int fd, const QDeadlineTimer& deadline)
{
    while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if (errno != EWOULDBLOCK)
            return Lock::Failed;
        if (deadline.hasExpired())
            return Lock::Busy;
        QThread::msleep(10);
    }
    return Lock::Locked;
}

// Opens the list and takes the lock that every copy of the game takes before it reads the list
// for a rewrite, waiting until the deadline. An atomic replace by another copy leaves the locked
// file behind: then the file now at the path is locked instead. Anything but an ordinary file
// counts as missing.
Lock lockList(const QString& path, int flags, const QDeadlineTimer& deadline, Descriptor& list)
{
    const QByteArray name = QFile::encodeName(path);
    for (;;) {
        Descriptor opened;
        opened.fd = ::open(name.constData(), flags | O_CLOEXEC);
        if (opened.fd < 0)
            return errno == ENOENT || errno == EISDIR ? Lock::Missing : Lock::Failed;
        if (const Lock taken = takeLock(opened.fd, deadline); taken != Lock::Locked)
            return taken;
        struct stat held {
        };
        struct stat atPath {
        };
        if (::fstat(opened.fd, &held) != 0)
            return Lock::Failed;
        if (!S_ISREG(held.st_mode))
            return Lock::Missing;
        if (::stat(name.constData(), &atPath) == 0 && atPath.st_dev == held.st_dev &&
            atPath.st_ino == held.st_ino) {
            std::swap(list.fd, opened.fd);
            return Lock::Locked;
        }
    }
}

// Takes the lock on an open file or folder; nothing when it is held, else why no save can follow.
std::optional<SaveOutcome> lockFailure(int fd, const QDeadlineTimer& deadline)
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

bool writeAll(QIODevice& out, QByteArrayView bytes)
{
    return out.write(bytes.data(), bytes.size()) == bytes.size();
}

// Copies length bytes from offset in the old list; false on a read (read) or write failure.
bool copyBytes(QIODevice& from, qint64 offset, qint64 length, QIODevice& out, bool& read)
{
    QByteArray chunk(std::min(length, copyChunk), Qt::Uninitialized);
    read = from.seek(offset);
    while (read && length > 0) {
        const qint64 got = from.read(chunk.data(), std::min(length, copyChunk));
        read = got > 0;
        if (read && !writeAll(out, QByteArrayView(chunk.constData(), got)))
            return false;
        length -= got;
    }
    return read;
}

// Copies the merged list over the list from its start. Room first, so that a full disk or a size
// limit fails before the old list is touched.
SaveOutcome copyOver(QIODevice& merged, QFile& list)
{
    const qint64 size = merged.size();
    rlimit limit{};
    if (::getrlimit(RLIMIT_FSIZE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY &&
        rlim_t(size) > limit.rlim_cur)
        return SaveOutcome::WriteFailed;
#ifdef __linux__
    if (::fallocate(list.handle(), FALLOC_FL_KEEP_SIZE, 0, size) != 0 && errno != EOPNOTSUPP)
        return SaveOutcome::WriteFailed;
#endif
    bool read = true;
    if (!list.seek(0) || !copyBytes(merged, 0, size, list, read) ||
        ::ftruncate(list.handle(), size) != 0 || ::fsync(list.handle()) != 0)
        return SaveOutcome::WriteFailed;
    return SaveOutcome::Saved;
}

// Where the folder cannot take a temporary file: the list is locked, merged into a temporary file
// elsewhere and copied back over itself.
SaveOutcome rewriteInPlace(const QString& path, const QString& entryLine, QStringList* held,
                           const QDeadlineTimer& deadline)
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
    QFile old;
    if (!openList(old, QIODevice::ReadWrite, list.fd))
        return SaveOutcome::ReadFailed;
    QTemporaryFile merged;
    if (!merged.open())
        return SaveOutcome::WriteFailed;
    const SaveOutcome outcome = writeMerged(&old, merged, entryLine, held);
    return outcome == SaveOutcome::Saved ? copyOver(merged, old) : outcome;
}

// Why a list could not be opened for reading.
SaveOutcome readFailure(const QFile& list)
{
    return list.size() > maxFileSize ? SaveOutcome::TooLarge : SaveOutcome::ReadFailed;
}

// The first lines of the list at path as shown, for a save that the helper makes.
void readHeld(const QString& path, QStringList* held)
{
    QFile old(path);
    QBuffer discarded;
    if (held && openList(old, QIODevice::ReadOnly) && discarded.open(QIODevice::WriteOnly))
        writeMerged(&old, discarded, QString(), held);
}

} // namespace

QString scorePath(const QString& programDirectory)
{
    return programDirectory + QDir::separator() + QLatin1String(fileName);
}

bool fileExists(const QString& path)
{
    std::error_code error;
    const bool regular = std::filesystem::is_regular_file(path.toStdU16String(), error);
    return regular && !error;
}

bool openList(QFile& file, QIODevice::OpenMode mode, int fd)
{
    // Unbuffered: the chunks are read straight into the scanner's own buffer.
    mode |= QIODevice::Unbuffered;
    const bool opened = fd < 0 ? file.open(mode) : file.open(fd, mode);
    return opened && file.size() <= maxFileSize;
}

QString shownText(QByteArrayView head, qint64 length)
{
    QString text = decode1252(head.first(std::min<qint64>(head.size(), longestShown)));
    if (length > longestShown)
        text += QChar(0x2026);
    return text;
}

Count countLines(QIODevice& list, int score)
{
    int lines = 0;
    bool lowerFound = false;
    const bool ok = scanLines(list, 3, [&](const ScannedLine& line) {
        ++lines;
        lowerFound = lowerFound || lineScore(line.head) < score;
        return true;
    });
    return {ok, lines, lowerFound};
}

Count countLines(const QString& path, int score)
{
    QFile file(path);
    if (!openList(file, QIODevice::ReadOnly))
        return {};
    return countLines(file, score);
}

SaveOutcome writeMerged(QIODevice* old, QIODevice& out, const QString& entryLine, QStringList* held)
{
    struct Kept {
        qint64 offset;
        qint64 length;
        int score;
    };
    std::vector<Kept> kept;
    QStringList shown;
    if (old && !scanLines(*old, longestShown, [&](const ScannedLine& line) {
            if (kept.size() < size_t(keptLines))
                kept.push_back({line.offset, line.length, lineScore(line.head)});
            shown << shownText(line.head, line.length);
            return shown.size() < heldLines;
        }))
        return SaveOutcome::ReadFailed;
    if (held)
        *held = shown;

    const QByteArray entry = encode1252(entryLine) + "\r\n";
    const int entryScore = lineScore(entryLine);
    bool placed = false;
    for (const Kept& line : kept) {
        if (!placed && line.score <= entryScore) {
            if (!writeAll(out, entry))
                return SaveOutcome::WriteFailed;
            placed = true;
        }
        bool read = true;
        if (!copyBytes(*old, line.offset, line.length, out, read) || !writeAll(out, "\r\n"))
            return read ? SaveOutcome::WriteFailed : SaveOutcome::ReadFailed;
    }
    if (!placed && !writeAll(out, entry))
        return SaveOutcome::WriteFailed;
    return SaveOutcome::Saved;
}

bool isShared(const QString& path)
{
    return QFileInfo::exists(path + QLatin1String(spareSuffix)) ||
           QFileInfo::exists(path + QLatin1String(reserveSuffix));
}

SaveOutcome saveShared(const QString& path, const QString& entryLine, QStringList* held)
{
    const QByteArray name = QFile::encodeName(QFileInfo(path).fileName());
    Descriptor folder;
    folder.fd = ::open(QFile::encodeName(QFileInfo(path).absolutePath()).constData(),
                       O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder.fd < 0)
        return SaveOutcome::WriteFailed;
    // Each file by its name in that folder, never through a link.
    const auto openIn = [&folder](const QByteArray& file, int flags) {
        return ::openat(folder.fd, file.constData(), flags | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY);
    };
    Descriptor lock;
    lock.fd = openIn(name + lockSuffix, O_RDONLY);
    if (const auto failed = lockFailure(lock.fd, QDeadlineTimer(lockWaitMs)))
        return *failed;

    Descriptor list;
    list.fd = openIn(name, O_RDONLY);
    const bool missing = list.fd < 0 && errno == ENOENT;
    struct stat listStat {
    };
    QFile old;
    if (!missing) {
        if (list.fd < 0 || ::fstat(list.fd, &listStat) != 0)
            return SaveOutcome::ReadFailed;
        if (!S_ISREG(listStat.st_mode))
            return SaveOutcome::WriteFailed;
        if (!openList(old, QIODevice::ReadOnly, list.fd))
            return readFailure(old);
    }
    // A first entry takes the reserve, so that the spare stays for the entries to come.
    const QByteArray spareName = name + (missing ? reserveSuffix : spareSuffix);
    Descriptor spare;
    spare.fd = openIn(spareName, O_RDWR);
    struct stat spareStat {
    };
    if (spare.fd < 0 || ::fstat(spare.fd, &spareStat) != 0 || !S_ISREG(spareStat.st_mode) ||
        (!missing && spareStat.st_ino == listStat.st_ino && spareStat.st_dev == listStat.st_dev))
        return SaveOutcome::WriteFailed;
    QFile merged;
    if (::ftruncate(spare.fd, 0) != 0 ||
        !merged.open(spare.fd, QIODevice::ReadWrite | QIODevice::Unbuffered))
        return SaveOutcome::WriteFailed;
    const SaveOutcome outcome = writeMerged(missing ? nullptr : &old, merged, entryLine, held);
    if (outcome != SaveOutcome::Saved)
        return outcome;
    if (::fsync(spare.fd) != 0)
        return SaveOutcome::WriteFailed;
    // The new list takes the list's name in one step; the old one becomes the spare.
    if (missing) {
        if (::renameat(folder.fd, spareName.constData(), folder.fd, name.constData()) != 0)
            return SaveOutcome::WriteFailed;
    } else if (::renameat2(folder.fd, spareName.constData(), folder.fd, name.constData(),
                           RENAME_EXCHANGE) != 0) {
        if (errno != EINVAL && errno != ENOSYS)
            return SaveOutcome::WriteFailed;
        // A file system that cannot swap two names: the list is rewritten in place.
        Descriptor writable;
        writable.fd = openIn(name, O_RDWR);
        QFile target;
        if (writable.fd < 0 ||
            !target.open(writable.fd, QIODevice::ReadWrite | QIODevice::Unbuffered))
            return SaveOutcome::WriteFailed;
        return copyOver(merged, target);
    }
    ::fsync(folder.fd);
    return SaveOutcome::Saved;
}

SaveOutcome saveEntry(const QString& listPath, int score, const QString& name, QStringList* held)
{
    const QString entryLine = scoreLine(score, name);
    // A list that is a link to a list elsewhere, one that the users of a machine share, is
    // saved where the link points, so that the link stays and the others see the entry.
    QString path = listPath;
    for (int hop = 0; hop < 8 && QFileInfo(path).isSymLink(); ++hop)
        path = QFileInfo(path).symLinkTarget();
    if (isShared(path)) {
        // A player may not write the shared list: the game's helper beside the game does.
        const QString helper =
            QFileInfo(listPath).absolutePath() + QLatin1Char('/') + QLatin1String(helperName);
        const QByteArray lock = QFile::encodeName(path + QLatin1String(lockSuffix));
        if (::access(lock.constData(), R_OK | W_OK) != 0 && QFileInfo(helper).isExecutable()) {
            readHeld(path, held);
            return saveThroughHelper(helper, score, name);
        }
        return saveShared(path, entryLine, held);
    }
    const QDeadlineTimer deadline(lockWaitMs);
    const QByteArray folder = QFile::encodeName(QFileInfo(path).absolutePath());
    if (::access(folder.constData(), W_OK | X_OK) != 0 && errno == EACCES)
        return rewriteInPlace(path, entryLine, held, deadline);

    // The folder is locked as well as the list, which the first entry has yet to create.
    Descriptor folderLock;
    folderLock.fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (const auto failed = lockFailure(folderLock.fd, deadline))
        return *failed;
    // Decided inside the lock: another copy may have written the first entry meanwhile.
    Descriptor list;
    QFile old;
    switch (lockList(path, O_RDONLY, deadline, list)) {
    case Lock::Busy:
        return SaveOutcome::Busy;
    case Lock::Failed:
        return SaveOutcome::ReadFailed;
    case Lock::Missing:
        break;
    case Lock::Locked:
        if (!openList(old, QIODevice::ReadOnly, list.fd))
            return SaveOutcome::ReadFailed;
        break;
    }
    // Replaced whole, with the old file's permission bits; unbuffered, so that a full disk shows
    // in write() instead of slipping past commit().
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return SaveOutcome::WriteFailed;
    const SaveOutcome outcome = writeMerged(old.isOpen() ? &old : nullptr, out, entryLine, held);
    if (outcome != SaveOutcome::Saved) {
        out.cancelWriting();
        return outcome;
    }
    return out.commit() ? SaveOutcome::Saved : SaveOutcome::WriteFailed;
}

} // namespace scores
