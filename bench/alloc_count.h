// Counts heap allocations made anywhere in the process (C++ new, and malloc, calloc and
// realloc from every library), so that a benchmark can say how many one call makes.
#pragma once

#include <cstdint>

namespace tarvik::bench {

// Allocations made since the process started.
std::uint64_t Allocations();

}  // namespace tarvik::bench
