#pragma once
// The process-wide random generator of the engine. Every "rand"/"srand" of the
// engine means these two, never the C library's: the state is 32 bits, starts
// at 1, and each draw does state = state * 214013 + 2531011 and returns
// (state >> 16) & 32767, so seeded sequences repeat exactly on every platform.

constexpr int VELMO_RAND_MAX = 32767;

// Sets the generator's state.
void velmo_srand(unsigned int seed);

// One draw, 0 to VELMO_RAND_MAX.
int velmo_rand();
