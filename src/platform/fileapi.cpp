#include "platform/fileapi.h"

#include <sys/stat.h>
#include <unistd.h>

DWORD GetFileAttributesA(const char* path)
{
    struct stat st {};
    if (!path || stat(path, &st) != 0)
        return INVALID_FILE_ATTRIBUTES;
    if (S_ISDIR(st.st_mode))
        return FILE_ATTRIBUTE_DIRECTORY;
    return access(path, W_OK) == 0 ? FILE_ATTRIBUTE_NORMAL : FILE_ATTRIBUTE_READONLY;
}
