#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>

// Bytes in and out of the list's files, by descriptor, never through a stream's buffer.
namespace bestlist
{

// Larger files are refused; the game never writes more than 11 lines.
inline constexpr long long maxFileSize = 64LL * 1024 * 1024;

// A descriptor that is closed, and any lock on it with it, when it goes out of scope.
class Descriptor
{
public:
    Descriptor() = default;
    explicit Descriptor(int fd) : fd(fd) {}
    Descriptor(Descriptor&& other) noexcept : fd(std::exchange(other.fd, -1)) {}
    Descriptor& operator=(Descriptor&& other) noexcept
    {
        std::swap(fd, other.fd);
        return *this;
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    ~Descriptor();

    int get() const { return fd; }
    bool valid() const { return fd >= 0; }

private:
    int fd = -1;
};

// What a list is read from: a file or bytes in memory.
class Source
{
public:
    virtual ~Source() = default;
    // Up to size bytes from offset: how many were read, 0 at the end, -1 when the read failed.
    virtual long long readAt(long long offset, char* into, std::size_t size) = 0;
};

// Reads at an offset, so that the descriptor's own position never matters.
class FdSource final : public Source
{
public:
    explicit FdSource(int fd) : fd(fd) {}
    // Keeps the descriptor open as long as the source lives.
    explicit FdSource(Descriptor owned) : fd(owned.get()), owned(std::move(owned)) {}
    long long readAt(long long offset, char* into, std::size_t size) override;

private:
    int fd;
    Descriptor owned;
};

class BytesSource final : public Source
{
public:
    explicit BytesSource(std::string bytes) : bytes(std::move(bytes)) {}
    long long readAt(long long offset, char* into, std::size_t size) override;

private:
    std::string bytes;
};

// What a list is written to.
class Sink
{
public:
    virtual ~Sink() = default;
    // All of the bytes, or false.
    virtual bool write(std::string_view bytes) = 0;
};

class FdSink final : public Sink
{
public:
    explicit FdSink(int fd) : fd(fd) {}
    bool write(std::string_view bytes) override;

private:
    int fd;
};

class StringSink final : public Sink
{
public:
    bool write(std::string_view more) override
    {
        bytes += more;
        return true;
    }
    std::string bytes;
};

// Copies length bytes from offset; false on a failed read (read false) or a failed write.
bool copyRange(Source& from, long long offset, long long length, Sink& out, bool& read);

enum class Opened { Ok, Missing, TooLarge, Failed };
// Opens an ordinary file for reading, or says why not: missing (no such file, or a folder),
// larger than any list, or anything else.
Opened openForReading(const char* path, Descriptor& file);
// Whether the open file is one a reader takes: ordinary and no larger than any list.
Opened readable(int fd);

// The folder that holds path ("." for a bare name), and the name in it.
std::string folderOf(const std::string& path);
std::string nameOf(const std::string& path);

} // namespace bestlist
