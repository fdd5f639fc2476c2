#pragma once

#include <QString>
#include <QStringList>

// Reading and writing best.lst. The file is read anew at every access, written whole and
// replaced atomically, and rewritten only under a lock that other copies of the game honour.
namespace scores
{

inline constexpr auto fileName = "best.lst";
// Larger files are refused rather than read into memory; the game never writes more than 11 lines.
inline constexpr qint64 maxFileSize = qint64(64) * 1024 * 1024;

QString scorePath(const QString& programDirectory);

// True only for an existing ordinary file; false for a directory and on any error.
bool fileExists(const QString& path);

struct ReadResult {
    bool ok = false;
    QStringList lines;
};
ReadResult readLines(const QString& path);

enum class SaveOutcome { Saved, Busy, ReadFailed, WriteFailed };

// Writes the lines as the whole new content of the file, or leaves the old file as it was.
bool writeLines(const QString& path, const QStringList& lines);

// Under the lock: reads the list if there is one, merges the entry in and writes the result.
// oldLines receives what was read.
SaveOutcome saveEntry(const QString& path, const QString& entryLine,
                      QStringList* oldLines = nullptr);

} // namespace scores
