#pragma once

#include <cstddef>
#include <string>

// Whether a library that failed to start may have failed for want of this
// process's resources rather than of anything of its own: the GL libraries
// report a driver they could not map, or a vendor file they could not
// open, as missing. "" when neither is short, else what ran out, "not
// enough memory" (not even `addressSpace` more bytes can be had) or "no
// file descriptor left" (not one more can be opened).
std::string resourceThatRanOut(std::size_t addressSpace);
