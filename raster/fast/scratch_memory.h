#pragma once

#include <cstddef>
#include <vector>

// Storage kept from frame to frame grows to the largest frame seen. Once a
// frame needs far less than it holds, the rest goes back to the system, so a
// single huge frame does not pin its memory for the rest of the run.
template <typename T>
void giveBackUnusedScratch(std::vector<T>& scratch) {
    constexpr std::size_t kKeptBytes = std::size_t{1} << 20;  // small stores are never worth it
    const std::size_t capacity = scratch.capacity();
    if (capacity * sizeof(T) > kKeptBytes && capacity / 4 > scratch.size()) {
        scratch.shrink_to_fit();
    }
}
