#pragma once

#include <cstdint>

// The calendar time in whole seconds since 1970, low 32 bits; a clock that
// cannot tell the time gives all bits set. The one reading of the clock.
std::uint32_t clock_seed();
