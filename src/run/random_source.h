// The program's only source of randomness: a 32-bit linear congruential
// generator with 15-bit results. Its exact sequence is part of every result.
#pragma once

#include <cstdint>

extern std::uint32_t random_state;  // 1 until seeded

void seed_random(std::uint32_t seed);

// Advances the state and returns bits 16..30 of it, 0 to 32767.
int random15();
