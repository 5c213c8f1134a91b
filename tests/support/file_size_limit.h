#pragma once
// A disk that fills up, for the tests of the video dump's failure path: while
// it lives, no file of this process grows past `bytes` (the soft file size
// limit; a write past it fails with EFBIG instead of raising SIGXFSZ).
#include <sys/resource.h>

#include <csignal>

namespace testsupport {

class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        previousHandler = std::signal(SIGXFSZ, SIG_IGN);
        ok = getrlimit(RLIMIT_FSIZE, &previous) == 0 && bytes <= previous.rlim_max;
        rlimit limit = previous;
        limit.rlim_cur = bytes;
        ok = ok && setrlimit(RLIMIT_FSIZE, &limit) == 0;
    }
    ~FileSizeLimit()
    {
        if (ok)
            setrlimit(RLIMIT_FSIZE, &previous);
        std::signal(SIGXFSZ, previousHandler);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

    // The limit is in effect.
    bool ok = false;

private:
    rlimit previous{};
    void (*previousHandler)(int) = SIG_DFL;
};

}  // namespace testsupport
