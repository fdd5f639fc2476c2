#pragma once

#include "bestlist/merge.h"
#include "bestlist/shared.h"

#include <QString>
#include <QStringList>

// best.lst for the game's Qt code: paths, names and the lines shown, over the list's own code
// (bestlist/), which reads the file anew at every access, in chunks, and saves it under a lock.
namespace scores
{

using bestlist::Count;
using bestlist::lockSuffix;
using bestlist::maxFileSize;
using bestlist::reserveSuffix;
using bestlist::SaveOutcome;
using bestlist::spareSuffix;

inline constexpr auto fileName = "best.lst";
// Lines are shown up to this many characters; the file keeps them whole.
inline constexpr qsizetype longestShown = qsizetype(bestlist::longestShown);

QString scorePath(const QString& programDirectory);

// True only for an existing ordinary file; false for a directory and on any error.
bool fileExists(const QString& path);

// A line's text as shown: its first longestShown characters, and "…" when there are more.
QString shownText(QByteArrayView head, qint64 length);

// How many lines the list at path has, and whether any scores lower; not ok when unreadable.
Count countLines(const QString& path, int score);

// Under the lock: merges the line for the score and the name into the list at path (a missing
// file is an empty list) and writes the result, or leaves the old file as it was. A shared list
// that the player may not write is handed to the game's helper beside path, where there is one.
// held receives the first 50 old lines as shown.
SaveOutcome saveEntry(const QString& path, int score, const QString& name,
                      QStringList* held = nullptr);

} // namespace scores
