#pragma once

#include <QFile>
#include <QString>
#include <QStringList>

// Reading and writing best.lst. The file is read anew at every access, in chunks, so that its
// size costs time but no memory. It is rewritten only under a lock on the file that every copy of
// the game takes: replaced whole and atomically where its folder is writable (under a lock on the
// folder too), else rewritten in place.
namespace scores
{

inline constexpr auto fileName = "best.lst";
// Larger files are refused; the game never writes more than 11 lines.
inline constexpr qint64 maxFileSize = qint64(64) * 1024 * 1024;
// Old lines that a merge keeps; the new line comes on top of them, 11 lines at most.
inline constexpr int keptLines = 10;
// Old lines that a merge holds; only the first keptLines of them reach the new file.
inline constexpr int heldLines = 50;
// Lines are shown up to this many characters; the file keeps them whole.
inline constexpr qsizetype longestShown = 1000;

QString scorePath(const QString& programDirectory);

// True only for an existing ordinary file; false for a directory and on any error.
bool fileExists(const QString& path);

// Opens a list to be read in chunks (from its name, or from an open descriptor when fd is given);
// false when it cannot be opened or is larger than any list of best results.
bool openList(QFile& file, QIODevice::OpenMode mode, int fd = -1);

// A line's text as shown: its first longestShown characters, and "…" when there are more.
QString shownText(QByteArrayView head, qint64 length);

// One pass over a list: how many lines it has, and whether any line scores lower than the score.
struct Count {
    bool ok = false;
    int lines = 0;
    bool lowerFound = false;
    // A result earns a place when the list has fewer than 9 lines or any line scores lower.
    bool qualifies() const { return lines < 9 || lowerFound; }
};
Count countLines(QIODevice& list, int score);
Count countLines(const QString& path, int score);

// Numbered: they are the answers of the game's helper too (helper.h).
enum class SaveOutcome { Saved = 0, Busy = 1, ReadFailed = 2, WriteFailed = 3, TooLarge = 4 };

// Writes the new list to out: the first ten lines of old (none when old is null) byte for byte in
// their order, with the entry line before the first of them that scores no higher than it, or
// after them. held receives the first 50 old lines as shown.
SaveOutcome writeMerged(QIODevice* old, QIODevice& out, const QString& entryLine,
                        QStringList* held = nullptr);

// Under the lock: merges the line for the score and the name into the list at path (a missing
// file is an empty list) and writes the result, or leaves the old file as it was. A shared list
// that the player may not write is handed to the game's helper beside path, where there is one.
SaveOutcome saveEntry(const QString& path, int score, const QString& name,
                      QStringList* held = nullptr);

// A list shared by the users of a machine (the Debian package's) lies in a folder of its own with
// a spare beside it (and, until its first entry, a reserve), and a lock file that only the game's
// helper and root may open, all made by the package. A save writes the new list into the spare
// and swaps the two names in one step: the list is at every moment the old one or the new one,
// and no file changes its owner, group or mode.
inline constexpr auto spareSuffix = ".spare";
inline constexpr auto reserveSuffix = ".reserve";
inline constexpr auto lockSuffix = ".lock";
bool isShared(const QString& path);
SaveOutcome saveShared(const QString& path, const QString& entryLine, QStringList* held = nullptr);

} // namespace scores
