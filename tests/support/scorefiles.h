#pragma once

#include "support/lines.h"

#include "scores/scorefile.h"
#include "scores/scoretext.h"

#include <QFile>
#include <QTest>

// Score files for the tests, made byte by byte where the bytes matter.
inline QStringList linesScoring(const QList<int>& scores)
{
    QStringList lines;
    int n = 0;
    for (const int score : scores)
        lines << scores::scoreLine(score, QStringLiteral("Alt%1").arg(++n));
    return lines;
}

inline void writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

inline QByteArray readBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline void writeLines(const QString& path, const QStringList& lines)
{
    writeBytes(path, reference::joinLines(lines));
}

inline QStringList fileLines(const QString& path)
{
    return reference::splitLines(readBytes(path));
}

// Larger than any list of best results, so the game refuses to read it: a read failure that
// holds for root too. Sparse, so it costs no disk.
inline void writeOversizedFile(const QString& path)
{
    QFile big(path);
    QVERIFY(big.open(QIODevice::WriteOnly));
    QVERIFY(big.resize(scores::maxFileSize + 1));
}

// A shared list as the Debian package makes it: the spare, the lock file and, until the first
// entry, the reserve beside the list (lines, or no list at all when there are none).
inline void makeSharedList(const QString& path, const QStringList& lines)
{
    writeBytes(path + QLatin1String(scores::spareSuffix), {});
    writeBytes(path + QLatin1String(scores::lockSuffix), {});
    if (lines.isEmpty())
        writeBytes(path + QLatin1String(scores::reserveSuffix), {});
    else
        writeLines(path, lines);
}
