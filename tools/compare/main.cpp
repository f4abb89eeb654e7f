// rasterwork-compare: renders the default scene with both renderers and
// reports, as numbers and optionally as a picture, how the software picture
// differs from the reference.
#include "tools/common/snapshot_software.h"
#include "tools/common/tool_main.h"
#include "tools/compare/compare_options.h"
#include "tools/compare/compare_run.h"

int main(int argc, char** argv) {
    return toolMain(
        compareCommand(), argc, argv, +[](const CompareOptions& options) {
            return runComparison(options, [](const RenderOptions& frame, SoftwareFrame& into) {
                return renderSoftwareSnapshot(frame, into);
            });
        });
}
