#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/output_target.h"

// Puts contents[i] into targets[i]. Every file to be replaced is first
// written in full to a temporary beside it (with the old file's permissions
// and, where allowed, owner); then the in-place outputs are written; only
// then are the temporaries renamed over their targets, each atomically (a
// hard link to an old file keeps the old content). On failure returns false
// with a one-line reason, no file has been replaced and no temporary is
// left. Temporaries exist only during this call.
bool writeOutputs(const std::vector<OutputTarget>& targets,
                  const std::vector<const std::vector<std::uint8_t>*>& contents,
                  std::string* error);
