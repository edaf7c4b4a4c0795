#include "run/random_source.h"

std::uint32_t random_state = 1;

void seed_random(std::uint32_t seed) { random_state = seed; }

int random15() {
    // Unsigned arithmetic wraps modulo 2^32, which is the generator's modulus.
    random_state = random_state * 214013u + 2531011u;
    return static_cast<int>((random_state >> 16) & 0x7FFFu);
}
