#pragma once
// Buffers of many megabytes (a whole song's samples), asked of the kernel on
// huge pages where it gives them on request: filling such a buffer then takes
// one page fault per 2 MiB instead of one per 4 KiB, which on a fresh buffer
// of a song costs more than writing its values. Smaller buffers, and kernels
// without huge pages, get ordinary memory; the contents are the same either way.
#include <cstddef>
#include <new>

// Uninitialised memory of `bytes` bytes, or null when there is none.
void* allocate_large(std::size_t bytes);

// Gives back memory of allocate_large (null is allowed). That memory may as
// well be given back with std::free, like any buffer the data layer hands out.
void free_large(void* buffer);

// An uninitialised array of `count` values of T in such memory; fails as
// new[] would, with std::bad_array_new_length or std::bad_alloc.
template <class T>
T* new_large_array(std::size_t count)
{
    if (count > static_cast<std::size_t>(-1) / sizeof(T))
        throw std::bad_array_new_length();
    void* buffer = allocate_large(count * sizeof(T));
    if (!buffer)
        throw std::bad_alloc();
    return static_cast<T*>(buffer);
}
