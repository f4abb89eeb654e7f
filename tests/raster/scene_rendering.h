#pragma once

#include <cstdint>
#include <ostream>
#include <string>

#include "scene/scene.h"
#include "view/view.h"

std::string describe(const View& view);

// Lets test parameters print readably.
inline void PrintTo(const View& view, std::ostream* out) {
    *out << describe(view);
}

// Builds the default scene into `scene`, sets up the camera for the view and
// the frame size, and sizes and clears the viewer's buffers.
void prepareDefaultFrame(Scene& scene, const View& view, int width, int height);

// Adds a recoloured copy of the scene's first object, drawn after the others
// in the same place: each of its fragments ties in depth with the first
// object's, and the first drawn must stay.
void addTwinOfFirstObject(Scene& scene);

// prepareDefaultFrame, then renderSoftware.
void renderDefaultScene(Scene& scene, const View& view, int width, int height);

// Digests (FNV-1a 64 of the raw float bits) of the frame's pixels.
std::uint64_t colorDigest(int width, int height);
std::uint64_t depthDigest(int width, int height);
