// rasterwork-compare with a planted fault, for the test that a check catches
// one: every run of covered pixels in a row of the software picture ends one
// column late, as a scan converter whose spans are one pixel too long would
// draw them.
#include <cstddef>

#include "raster/buffers/frame_buffers.h"
#include "tools/command_line/tool_main.h"
#include "tools/compare/compare_options.h"
#include "tools/compare/compare_run.h"
#include "tools/pictures/snapshot_software.h"

namespace {

bool renderWithLongerSpans(const RenderOptions& frame, SoftwareFrame& into) {
    if (!renderSoftwareSnapshot(frame, into)) return false;
    float* depth = into.buffers.depth;
    Color* color = into.buffers.color;
    for (int y = 0; y < frame.height; ++y) {
        const std::size_t row = static_cast<std::size_t>(y) * static_cast<std::size_t>(frame.width);
        // Right to left, so that each run grows by one pixel only.
        for (std::size_t x = static_cast<std::size_t>(frame.width) - 1; x > 0; --x) {
            if (depth[row + x] == 1.0f && depth[row + x - 1] < 1.0f) {
                depth[row + x] = depth[row + x - 1];
                color[row + x] = color[row + x - 1];
            }
        }
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    return toolMain(
        compareCommand(), argc, argv, +[](const CompareOptions& options) {
            return runComparison(options, renderWithLongerSpans);
        });
}
