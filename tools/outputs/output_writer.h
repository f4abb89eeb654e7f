#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/outputs/output_target.h"

// Writes all `size` bytes to fd, waiting for room when it is non-blocking
// (a full pipe is not a failure). False with errno set.
bool writeFully(int fd, const void* data, std::size_t size);

// Puts contents[i] into targets[i], so that a failure replaces no file:
// 1. every file to be replaced is written in full to a temporary beside it
//    (with the old file's permissions and, where allowed, owner);
// 2. the space of every file written in place is reserved (a new one's
//    checked for) without changing the file;
// 3. devices, pipes and descriptors get their bytes;
// 4. with the handled signals held, the temporaries take their files'
//    places, each atomically (a hard link to an old file keeps the old
//    content), and the files written in place are written into the space
//    reserved for them; if a temporary cannot take its place, or a file
//    written in place cannot be written, the temporaries already in place
//    are put back.
// What a failure cannot undo: bytes already sent to a device, pipe or
// descriptor, a file written in place before one that failed in spite of
// its reserved space (an I/O error), and a new, empty file in an
// append-only directory when its space ran out after it was made. On
// failure returns false with a one-line reason, and no temporary is left.
// Temporaries exist only during this call.
bool writeOutputs(const std::vector<OutputTarget>& targets,
                  const std::vector<const std::vector<std::uint8_t>*>& contents,
                  std::string* error);
