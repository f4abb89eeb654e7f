#pragma once

#include <cstdint>
#include <ostream>
#include <string>

#include "scene/scene.h"

// A view of the default scene: the view-state fields the camera reads.
struct ViewSettings {
    float angleZ = -135.0f;
    float angleX = -60.0f;
    float zoom = 0.25f;
    float panX = 0.0f;
    float panY = 0.0f;
};

std::string describe(const ViewSettings& view);

// Lets test parameters print readably.
inline void PrintTo(const ViewSettings& view, std::ostream* out) {
    *out << describe(view);
}

// Builds the default scene into `scene`, sets up the camera for the view and
// the frame size, and sizes and clears the buffers; the view state is back at
// its start-up values afterwards.
void prepareDefaultFrame(Scene& scene, const ViewSettings& view, int width, int height);

// prepareDefaultFrame, then renderSoftware.
void renderDefaultScene(Scene& scene, const ViewSettings& view, int width, int height);

// Digests (FNV-1a 64 of the raw float bits) of the frame's pixels.
std::uint64_t colorDigest(int width, int height);
std::uint64_t depthDigest(int width, int height);
