#include "app/DataFile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Closes the descriptor when the read is over, whichever way it ends.
class Descriptor {
public:
    explicit Descriptor(int fd) : fd(fd) {}
    ~Descriptor()
    {
        if (fd >= 0)
            close(fd);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;

    int get() const { return fd; }

private:
    int fd;
};

}  // namespace

DataFile::Outcome DataFile::read(const char* path, std::string& bytes)
{
    bytes.clear();
    // Non-blocking, so that opening a pipe returns at once; the type is then
    // checked on the open descriptor, not on a name that may change meanwhile.
    const Descriptor file(open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (file.get() < 0)
        return errno == ENOENT || errno == ENOTDIR ? MISSING : UNREADABLE;
    struct stat status {};
    if (fstat(file.get(), &status) != 0)
        return UNREADABLE;
    if (!S_ISREG(status.st_mode))
        return NOT_REGULAR;

    bytes.reserve(static_cast<std::size_t>(status.st_size));
    char buffer[1 << 16];
    for (;;) {
        const ssize_t count = ::read(file.get(), buffer, sizeof buffer);
        if (count == 0)
            return READ;
        if (count < 0) {
            if (errno == EINTR)
                continue;
            bytes.clear();
            return UNREADABLE;
        }
        bytes.append(buffer, static_cast<std::size_t>(count));
    }
}

bool DataFile::isRegular(const char* path)
{
    struct stat status {};
    return stat(path, &status) == 0 && S_ISREG(status.st_mode);
}

const char* DataFile::describe(Outcome outcome)
{
    switch (outcome) {
    case READ: return "read";
    case MISSING: return "is missing";
    case NOT_REGULAR: return "is not a regular file";
    case UNREADABLE: return "cannot be read";
    }
    return "cannot be read";
}
