#pragma once

#include "bestlist/io.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

// Reading a list line by line in chunks, so that a file of millions of lines, or of one line of
// megabytes, never needs more memory than one chunk and the head of the line in hand.
namespace bestlist
{

inline constexpr std::size_t scanChunk = std::size_t(256) * 1024;

// A line as the scan meets it: where it starts in the file, its length without the line end,
// and its first bytes, as many as were asked for. The head is valid during the callback only.
struct ScannedLine {
    long long offset = 0;
    long long length = 0;
    std::string_view head;
};

// The first CR in [from, to), or null. Lists hold many short lines: a few bytes are looked at
// one by one before memchr, whose call costs more than the search on a line of a few bytes.
inline const char* findCR(const char* from, const char* to)
{
    const char* const near = std::min(to, from + 16);
    for (; from < near; ++from) {
        if (*from == '\r')
            return from;
    }
    return from < to ? static_cast<const char*>(std::memchr(from, '\r', std::size_t(to - from)))
                     : nullptr;
}

// Calls onLine for every line of the source: a line ends at CR, an LF right after the CR belongs
// to the line end, a lone LF is text, and a last line without an end is a line. onLine returns
// false to stop the scan. Returns false on a read error.
template <class OnLine>
bool scanLines(Source& source, std::size_t headBytes, OnLine&& onLine,
               std::size_t chunkBytes = scanChunk)
{
    const auto chunk = std::make_unique_for_overwrite<char[]>(chunkBytes);
    // A line that goes on from an earlier chunk: where it starts, its length so far, its head.
    long long spanStart = -1;
    long long spanLength = 0;
    std::string spanHead;
    long long nextChunk = 0;
    bool afterCR = false;
    for (;;) {
        const long long got = source.readAt(nextChunk, chunk.get(), chunkBytes);
        if (got < 0)
            return false;
        if (got == 0)
            break;
        const long long chunkStart = nextChunk;
        nextChunk += got;
        const char* const data = chunk.get();
        const char* const end = data + got;
        const char* p = data + (afterCR && data[0] == '\n' ? 1 : 0);
        afterCR = false;
        // Past a CR and the LF that belongs to it, which may be the next chunk's first byte.
        const auto pastLineEnd = [&](const char* cr) {
            const char* next = cr + 1;
            afterCR = next == end;
            return next < end && *next == '\n' ? next + 1 : next;
        };
        if (spanStart >= 0) {
            const char* cr = findCR(p, end);
            const char* stop = cr ? cr : end;
            spanHead.append(
                p, std::min<std::size_t>(std::size_t(stop - p), headBytes - spanHead.size()));
            spanLength += stop - p;
            if (!cr)
                continue;
            if (!onLine(ScannedLine{spanStart, spanLength, spanHead}))
                return true;
            spanStart = -1;
            p = pastLineEnd(cr);
        }
        // The lines that end in this chunk: the common case, kept short.
        while (p < end) {
            const char* cr = findCR(p, end);
            if (!cr) {
                spanStart = chunkStart + (p - data);
                spanLength = end - p;
                spanHead.assign(p, std::min<std::size_t>(std::size_t(end - p), headBytes));
                break;
            }
            const long long length = cr - p;
            if (!onLine(ScannedLine{
                    chunkStart + (p - data), length,
                    std::string_view(p, std::min<std::size_t>(std::size_t(length), headBytes))}))
                return true;
            p = pastLineEnd(cr);
        }
    }
    if (spanStart >= 0)
        onLine(ScannedLine{spanStart, spanLength, spanHead});
    return true;
}

} // namespace bestlist
