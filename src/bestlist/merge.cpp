#include "bestlist/merge.h"

#include "bestlist/linescan.h"
#include "bestlist/text.h"

namespace bestlist
{

Count countLines(Source& list, int score)
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

Count countLines(const char* path, int score)
{
    Descriptor file;
    if (openForReading(path, file) != Opened::Ok)
        return {};
    FdSource list(file.get());
    return countLines(list, score);
}

SaveOutcome writeMerged(Source* old, Sink& out, std::string_view entryLine,
                        std::vector<HeldLine>* held)
{
    struct Kept {
        long long offset;
        long long length;
        int score;
    };
    std::vector<Kept> kept;
    std::vector<HeldLine> shown;
    if (old && !scanLines(*old, longestShown, [&](const ScannedLine& line) {
            if (kept.size() < keptLines)
                kept.push_back({line.offset, line.length, lineScore(line.head)});
            shown.push_back({std::string(line.head), line.length});
            return shown.size() < heldLines;
        }))
        return SaveOutcome::ReadFailed;
    if (held)
        *held = std::move(shown);

    const std::string entry = std::string(entryLine) + "\r\n";
    const int entryScore = lineScore(entryLine);
    bool placed = false;
    for (const Kept& line : kept) {
        if (!placed && line.score <= entryScore) {
            if (!out.write(entry))
                return SaveOutcome::WriteFailed;
            placed = true;
        }
        bool read = true;
        if (!copyRange(*old, line.offset, line.length, out, read) || !out.write("\r\n"))
            return read ? SaveOutcome::WriteFailed : SaveOutcome::ReadFailed;
    }
    if (!placed && !out.write(entry))
        return SaveOutcome::WriteFailed;
    return SaveOutcome::Saved;
}

} // namespace bestlist
