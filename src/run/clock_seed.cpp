#include "run/clock_seed.h"

#include <ctime>

std::uint32_t clock_seed() {
    // time() returns -1 on failure, which converts to 0xFFFFFFFF.
    return static_cast<std::uint32_t>(std::time(nullptr));
}
