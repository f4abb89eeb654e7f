// rasterwork-compare: renders the default scene with both renderers and
// reports, as numbers and optionally as a picture, how the software picture
// differs from the reference.
#include "tools/command_line/tool_main.h"
#include "tools/compare/compare_options.h"
#include "tools/compare/compare_run.h"
#include "tools/pictures/snapshot_software.h"

int main(int argc, char** argv) {
    return toolMain(
        compareCommand(), argc, argv, +[](const CompareOptions& options) {
            return runComparison(options, [](const RenderOptions& frame, SoftwareFrame& into) {
                return renderSoftwareSnapshot(frame, into);
            });
        });
}
