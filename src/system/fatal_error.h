#pragma once
// The one way the program fails: a message box, an "ERROR: " line on standard
// output and exit code 1. Call sites use the macros, which capture the source
// path and line.
#include <stdexcept>
#include <string>

[[noreturn]] void fatal_error(const char* sourcePath, int line, std::string message);

// The source path as the caption shows it: relative to the project root, with
// backslashes ("src\system\velmosystem.cpp").
std::string fatal_error_source_path(const char* sourcePath);

// Thrown instead of ending the process when set_fatal_error_throws(true) is in
// effect. Tests and fuzz targets use it; the program never turns it on.
struct FatalErrorException : std::runtime_error {
    FatalErrorException(std::string sourcePath, int line, std::string message)
        : std::runtime_error(message), sourcePath(std::move(sourcePath)), line(line) {}
    std::string sourcePath;
    int line;
};
void set_fatal_error_throws(bool throws);

#define FATAL_ERROR(message) ::fatal_error(__FILE__, __LINE__, (message))

#define VELMO_ASSERT(expr)                                                   \
    do {                                                                     \
        if (!(expr))                                                         \
            ::fatal_error(__FILE__, __LINE__, "Failed assert " #expr);       \
    } while (0)

#define VELMO_ASSERT_EQ(lhs, rhs)                                            \
    do {                                                                     \
        const auto velmoLhs_ = (lhs);                                        \
        const auto velmoRhs_ = (rhs);                                        \
        if (!(velmoLhs_ == velmoRhs_))                                       \
            ::fatal_error(__FILE__, __LINE__,                                \
                std::string("Failed assert " #lhs " == " #rhs "\n " #lhs " is ") + \
                std::to_string(velmoLhs_) + "\n " #rhs " is " +               \
                std::to_string(velmoRhs_));                                  \
    } while (0)
