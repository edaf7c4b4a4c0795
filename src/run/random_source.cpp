#include "run/random_source.h"

thread_local std::uint32_t random_state = 1;

namespace {

constexpr std::uint32_t MULTIPLIER = 214013u;
constexpr std::uint32_t INCREMENT = 2531011u;

}  // namespace

void seed_random(std::uint32_t seed) { random_state = seed; }

int random15() {
    // Unsigned arithmetic wraps modulo 2^32, which is the generator's modulus.
    random_state = random_state * MULTIPLIER + INCREMENT;
    return static_cast<int>((random_state >> 16) & 0x7FFFu);
}

std::uint32_t jump_random_state(std::uint32_t state, std::uint64_t steps) {
    // x -> multiplier * x + increment, modulo 2^32. `power` is the step
    // applied 2^i times; `total` collects the powers that steps is made of.
    std::uint32_t total_multiplier = 1u, total_increment = 0u;
    std::uint32_t power_multiplier = MULTIPLIER, power_increment = INCREMENT;
    while (steps > 0) {
        if (steps & 1u) {
            total_multiplier = power_multiplier * total_multiplier;
            total_increment = power_multiplier * total_increment + power_increment;
        }
        power_increment = power_multiplier * power_increment + power_increment;
        power_multiplier = power_multiplier * power_multiplier;
        steps >>= 1;
    }
    return total_multiplier * state + total_increment;
}
