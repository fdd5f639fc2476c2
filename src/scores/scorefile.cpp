#include "scores/scorefile.h"

#include "scores/cp1252.h"
#include "scores/ranking.h"

#include <QDir>
#include <QFile>
#include <QLockFile>
#include <QSaveFile>

#include <filesystem>
#include <system_error>

namespace scores
{

namespace
{
// Short: a second copy of the game holds the lock only for one small rewrite.
constexpr int lockWaitMs = 2000;
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

ReadResult readLines(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > maxFileSize)
        return {};
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return {};
    return {true, splitLines(bytes)};
}

bool writeLines(const QString& path, const QStringList& lines)
{
    const QByteArray bytes = joinLines(lines);
    QSaveFile file(path);
    // Unbuffered, so that a full disk shows in write() instead of slipping past commit().
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return false;
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

SaveOutcome saveEntry(const QString& path, const QString& entryLine, QStringList* oldLines)
{
    QLockFile lock(path + QStringLiteral(".lock"));
    if (!lock.tryLock(lockWaitMs))
        return lock.error() == QLockFile::LockFailedError ? SaveOutcome::Busy
                                                          : SaveOutcome::WriteFailed;
    // Decided inside the lock: another copy may have written the first entry meanwhile.
    ReadResult old{true, {}};
    if (fileExists(path)) {
        old = readLines(path);
        if (!old.ok)
            return SaveOutcome::ReadFailed;
    }
    if (oldLines)
        *oldLines = old.lines;
    return writeLines(path, merged(old.lines, entryLine)) ? SaveOutcome::Saved
                                                          : SaveOutcome::WriteFailed;
}

} // namespace scores
