#include "util/data/regular_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

FilePtr open_regular_file(const char* name, const char* openMode, bool* notRegular)
{
    if (notRegular)
        *notRegular = false;
    // Non-blocking, so that opening a FIFO without a writer returns at once.
    const int fd = open(name, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return nullptr;
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        if (notRegular)
            *notRegular = true;
        close(fd);
        return nullptr;
    }
    const int flags = fcntl(fd, F_GETFL);
    if (flags < 0 || fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        close(fd);
        return nullptr;
    }
    FilePtr f(fdopen(fd, openMode));
    if (!f)
        close(fd);
    return f;
}

long file_length(std::FILE* f)
{
    std::fseek(f, 0, SEEK_END);
    const long length = std::ftell(f);
    std::rewind(f);
    return length;
}
