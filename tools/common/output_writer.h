#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/common/output_target.h"

// Writes all `size` bytes to fd, waiting for room when it is non-blocking
// (a full pipe is not a failure). False with errno set.
bool writeFully(int fd, const void* data, std::size_t size);

// Puts contents[i] into targets[i]. Every file to be replaced is first
// written in full to a temporary beside it (with the old file's permissions
// and, where allowed, owner); then the in-place outputs are written; only
// then are the temporaries put in place, each atomically (a hard link to an
// old file keeps the old content), with the handled signals held: if one
// cannot be put in place, those already done are put back, so no file has
// been replaced. On failure returns false with a one-line reason, and no
// temporary is left. Temporaries exist only during this call.
bool writeOutputs(const std::vector<OutputTarget>& targets,
                  const std::vector<const std::vector<std::uint8_t>*>& contents,
                  std::string* error);
