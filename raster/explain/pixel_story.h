#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "raster/like_reference/reference_rules.h"
#include "raster/plain/fragment_observer.h"
#include "scene/color.h"
#include "scene/scene.h"
#include "view/view.h"

// The software renderer's story of one pixel: every fragment that reached the
// pixel's depth test, in draw order, with what became of it, and what the
// buffers hold there at the end.

// The pixel asked about and the frame it belongs to.
struct PixelQuestion {
    View view;
    int width = 480;
    int height = 480;
    ReferenceRules rules;  // the reference's rules the renderer follows; none by default
    int x = 0;             // column, 0 at the left
    int y = 0;             // row, 0 at the bottom as in the buffers
};

// One fragment at the pixel.
struct StoryFragment {
    Fragment fragment;
    bool replaced = false;  // it passed, and a later fragment passed too
    // Every term shadePixel formed on the way to the colour, for the fragments
    // that passed; none when a reference rule is on (those rules light a
    // pixel their own way).
    std::optional<ShadingTerms> terms;
};

struct PixelStory {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    std::vector<std::string> objectNames;       // by object index, see objectColourName
    std::vector<StoryFragment> fragments;       // in draw order
    Color color;                                // what the colour buffer holds
    float depth = 1.0f;                         // what the depth buffer holds (normalised-device z)
    std::array<std::uint8_t, 3> windowBytes{};  // the colour as the window shows it

    // Whether the renderer covers the pixel: its depth is below 1.0.
    bool covered() const { return depth < 1.0f; }
};

// "red", "green" or "blue": the strongest channel of the object's diffuse colour.
std::string objectColourName(const SceneObject& object);

// Draws the default scene in the question's view and size with the plain
// path under its rules, watching the pixel, into colorBuffer and depthBuffer
// (which hold the frame afterwards, exactly as renderSoftwareLikeReference
// leaves it), and tells the pixel's story. Empty, with nothing drawn, when the pixel
// lies outside the frame or there is no memory for the frame's buffers.
std::optional<PixelStory> tellPixelStory(const PixelQuestion& question);
