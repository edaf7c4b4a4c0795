// The program's only source of randomness: a 32-bit linear congruential
// generator with 15-bit results. Its exact sequence is part of every result.
#pragma once

#include <cstdint>

// One state per thread: each worker of the fit loop runs its own copy of the
// sequence, placed by jump_random_state. The run's thread holds the run's state.
extern thread_local std::uint32_t random_state;  // 1 until seeded

void seed_random(std::uint32_t seed);

// Advances the state and returns bits 16..30 of it, 0 to 32767.
int random15();

// The state that `steps` calls of random15 lead to from `state`, in
// O(log steps): the affine step composed with itself by squaring.
std::uint32_t jump_random_state(std::uint32_t state, std::uint64_t steps);
