// rasterwork-compare: renders the default scene with both renderers and
// reports, as numbers and optionally as a picture, how the software picture
// differs from the reference.
#include "tools/compare_options.h"
#include "tools/compare_run.h"
#include "tools/snapshot_render.h"
#include "tools/tool_main.h"

int main(int argc, char** argv) {
    return toolMain(
        compareCommand(), argc, argv, +[](const CompareOptions& options) {
            return runComparison(options, [](const SnapshotOptions& frame) {
                return renderSoftwareSnapshot(frame);
            });
        });
}
