#pragma once

#include <cstdint>

// The whole run, its phases once each and in order; all storage of the run
// belongs to it. Returns the process's exit status. The seed is the clock's
// reading in the program and a fixed number in tests.
int run_analysis(std::uint32_t seed);
