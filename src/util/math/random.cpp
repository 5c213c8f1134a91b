#include "util/math/random.h"

#include <cstdint>

namespace {
std::uint32_t g_random_state = 1;
}

void velmo_srand(unsigned int seed)
{
    g_random_state = seed;
}

int velmo_rand()
{
    g_random_state = g_random_state * 214013u + 2531011u;
    return static_cast<int>((g_random_state >> 16) & 32767u);
}
