#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "scene/color.h"
#include "scene/scene.h"
#include "tools/snapshot/snapshot_options.h"
#include "tools/snapshot/stage_pictures.h"

// The files rasterwork-snapshot writes, each with its option, what it reads
// of the rendered frame and how it is encoded: the one list that the option
// parser, the help and the writing all follow.

// What of a rendered frame the files read.
enum SnapshotPart : unsigned {
    kWindowRgb = 1,  // the 8-bit RGB the window shows
    kFloatColor = 2,
    kFloatDepth = 4,
    kStages = 8,  // the faces and fragments the plain path's stages were seen to draw
};

// A rendered frame as the encoders read it; only the parts the wanted files
// read are set.
struct RenderedSnapshot {
    int width = 0;
    int height = 0;
    const std::uint8_t* rgbTopDown = nullptr;  // kWindowRgb, top row first
    const Color* colors = nullptr;             // kFloatColor, row 0 at the bottom
    const float* depths = nullptr;             // kFloatDepth, row 0 at the bottom
    const StageRecorder* stages = nullptr;     // kStages
    const Scene* scene = nullptr;              // kStages: the scene the stages drew
};

struct SnapshotOutput {
    const char* flag;                    // "--png"
    std::string SnapshotOptions::*path;  // where the option puts its file name
    const char* help;
    bool stage;      // pictures a stage of the software renderer (not with --renderer opengl)
    unsigned reads;  // the SnapshotParts it is made from
    // Bytes to take for the encoded file before rendering.
    std::size_t (*encodedSize)(int width, int height);
    // Appends the file's bytes to *out; false with a one-line reason.
    bool (*encode)(const RenderedSnapshot& frame, std::vector<std::uint8_t>* out,
                   std::string* error);
};

constexpr std::size_t kSnapshotOutputCount = 6;

// In the order of the help: the picture, the float buffers, the stage pictures.
extern const std::array<SnapshotOutput, kSnapshotOutputCount> kSnapshotOutputs;
