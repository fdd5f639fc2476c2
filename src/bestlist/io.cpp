#include "bestlist/io.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace bestlist
{

namespace
{

constexpr std::size_t copyChunk = std::size_t(64) * 1024;

} // namespace

Descriptor::~Descriptor()
{
    if (fd >= 0)
        ::close(fd);
}

long long FdSource::readAt(long long offset, char* into, std::size_t size)
{
    for (;;) {
        const ssize_t got = ::pread(fd, into, size, off_t(offset));
        if (got >= 0 || errno != EINTR)
            return got;
    }
}

long long BytesSource::readAt(long long offset, char* into, std::size_t size)
{
    if (offset < 0)
        return -1;
    if (std::size_t(offset) >= bytes.size())
        return 0;
    const std::size_t n = std::min(size, bytes.size() - std::size_t(offset));
    std::memcpy(into, bytes.data() + offset, n);
    return (long long)n;
}

bool FdSink::write(std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t done = ::write(fd, bytes.data(), bytes.size());
        if (done < 0 && errno == EINTR)
            continue;
        if (done <= 0)
            return false;
        bytes.remove_prefix(std::size_t(done));
    }
    return true;
}

bool copyRange(Source& from, long long offset, long long length, Sink& out, bool& read)
{
    const std::size_t size = std::min<std::size_t>(std::size_t(length), copyChunk);
    const auto chunk = std::make_unique_for_overwrite<char[]>(size);
    read = true;
    while (length > 0) {
        const long long got =
            from.readAt(offset, chunk.get(), std::min<std::size_t>(std::size_t(length), size));
        read = got > 0;
        if (!read)
            return false;
        if (!out.write(std::string_view(chunk.get(), std::size_t(got))))
            return false;
        offset += got;
        length -= got;
    }
    return true;
}

Opened readable(int fd)
{
    struct stat about {
    };
    if (::fstat(fd, &about) != 0)
        return Opened::Failed;
    if (!S_ISREG(about.st_mode))
        return S_ISDIR(about.st_mode) ? Opened::Missing : Opened::Failed;
    return about.st_size > maxFileSize ? Opened::TooLarge : Opened::Ok;
}

Opened openForReading(const char* path, Descriptor& file)
{
    // Non-blocking, so that a pipe put in the list's place cannot hold the game up.
    Descriptor opened(::open(path, O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (!opened.valid())
        return errno == ENOENT ? Opened::Missing : Opened::Failed;
    const Opened status = readable(opened.get());
    if (status == Opened::Ok)
        file = std::move(opened);
    return status;
}

std::string folderOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string nameOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

} // namespace bestlist
