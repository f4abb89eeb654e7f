#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "raster/buffers/frame_buffers.h"
#include "raster/explain/row_walk.h"
#include "raster/like_reference/reference_rules.h"
#include "raster/plain/fragment_observer.h"
#include "scene/color.h"
#include "scene/scene.h"

// The software renderer's story of one pixel: every fragment that reached the
// pixel's depth test, in draw order, with what became of it, and what the
// buffers hold there at the end.

// The pixel asked about and the frame it belongs to; the scene it is asked
// of has its camera set up for the frame's size.
struct FramePixel {
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
    // Every term the pixel's lighting formed on the way to the colour, for
    // the fragments that passed; none under the vertex rule (the colour
    // comes from the face's lit corners, see the reference model).
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

    // Why no fragment reached the pixel, when none did: the spans on its row
    // nearest to it (see nearestSpans) and the signed distance in pixels of
    // its centre from the nearest face's outline on the screen (snapped to
    // the subpixel rule's grid), negative outside; none when no
    // face reaches the screen.
    std::vector<RowSpan> nearestSpans;
    std::optional<double> centreDistance;
    // The vertex stage of the face stored at the pixel or, when no fragment
    // reached it, of the nearest span's face; none when there is neither.
    std::optional<FaceVertexStage> vertexStage;

    // Whether the renderer covers the pixel: its depth is below 1.0.
    bool covered() const { return depth < 1.0f; }
};

// How much of the frame is drawn to hear a pixel's story: all of it, or only
// the pixel's row, with only the faces that can change the pixel
// (facesReaching). Both give the same story, bit for bit: the fragments at a
// pixel come from the spans on its row alone, a row filled by itself comes
// out as in the whole frame (see renderSoftwarePlain), and a face that
// reaches the row only right of the pixel changes nothing at it. The whole
// frame leaves it in the buffers; the row alone takes a fraction of the time,
// leaves the pixel as the whole frame does, the rest of its row without the
// faces left out, and the buffers' other rows as they were.
enum class StoryFrame { Whole, PixelRow };

// "red", "green" or "blue": the strongest channel of the object's diffuse colour.
std::string objectColourName(const SceneObject& object);

// Draws `scene` in the frame's size with the plain path under its rules,
// watching the pixel, into `buffers` (which hold the frame afterwards,
// exactly as renderSoftwareLikeReference leaves it, or only the pixel's row
// of it), and tells the pixel's story. Empty, with nothing drawn, when the
// pixel lies outside the frame or there is no memory for the frame's
// buffers.
std::optional<PixelStory> tellPixelStory(Scene& scene, const FramePixel& pixel,
                                         FrameBuffers& buffers,
                                         StoryFrame drawn = StoryFrame::Whole);
