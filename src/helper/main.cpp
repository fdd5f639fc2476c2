// The game's helper, installed setgid to the group that may write the machine's shared list of
// best results: it merges one result into that one list, with the game's own code, and answers
// with its exit status (bestlist/request.h). It trusts nothing of its caller: it reads no
// environment, writes only the list fixed when it was built, takes only a score and a name, and
// holds the group's right only while it saves. It links nothing but the C and C++ runtime, so no
// code but theirs runs before main. GZ_SHARED_LIST, the list, is set by the build.
#include "bestlist/request.h"
#include "bestlist/shared.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <unistd.h>

namespace
{

// Descriptors 0 to 2 open, so that no file the helper opens can take the place of one of them.
bool standardDescriptors()
{
    for (int fd = 0; fd <= 2; ++fd) {
        if (::fcntl(fd, F_GETFD) == -1 && (errno != EBADF || ::open("/dev/null", O_RDWR) != fd))
            return false;
    }
    return true;
}

// The name on the input, at most one byte more than any name the helper takes.
std::string readName()
{
    std::string name;
    char chunk[4096];
    while (name.size() <= bestlist::longestName) {
        const ssize_t got = ::read(STDIN_FILENO, chunk, sizeof chunk);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        name.append(chunk, std::size_t(got));
    }
    return name;
}

} // namespace

int main(int argc, char* argv[])
{
    ::clearenv();
    // The group's right is set aside at once and taken up again only for the save.
    const gid_t player = ::getgid();
    const gid_t privileged = ::getegid();
    if (::setresgid(player, player, privileged) != 0 || !standardDescriptors())
        return bestlist::refusedStatus;
    if (argc != 2)
        return bestlist::refusedStatus;
    const std::optional<std::string> line = bestlist::requestedLine(argv[1], readName());
    if (!line)
        return bestlist::refusedStatus;

    if (::setresgid(player, privileged, privileged) != 0)
        return bestlist::exitStatus(bestlist::SaveOutcome::WriteFailed);
    const bestlist::SaveOutcome outcome = bestlist::saveShared(GZ_SHARED_LIST, *line);
    // Given up for good before the answer.
    if (::setresgid(player, player, player) != 0)
        std::abort();
    return bestlist::exitStatus(outcome);
}
