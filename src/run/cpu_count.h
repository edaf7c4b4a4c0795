#pragma once

// Processors this process may run on: its affinity mask, so that
// `taskset -c 0 quen` makes its fits on one. At least 1.
int available_cpus();
