#pragma once

#include <cstddef>

namespace rw {

// Sets `count` floats to 1.0 with the widest stores the processor offers.
// Opaque white and the cleared depth are both nothing but ones.
void fillOnes(float* values, std::size_t count);

}  // namespace rw
