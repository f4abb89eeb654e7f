#pragma once

#include <cstdint>
#include <vector>

#include "raster/plain/fragment_observer.h"
#include "scene/scene.h"
#include "tools/common/legend_font.h"

// Pictures of what the software renderer's stages leave behind: the depth
// buffer, the face that won each pixel, and how many fragments reached each
// pixel's depth test. Each picture is the frame, top row first, with a legend
// in a strip below it.

// Counts the fragments at every pixel and remembers the face of the last one
// that passed, which is the face whose colour the pixel shows.
class StageRecorder : public FragmentObserver {
  public:
    static constexpr std::int32_t kNoObject = -1;

    // Takes the memory for a width x height frame (std::bad_alloc if there is none).
    StageRecorder(int width, int height);

    ShadingTerms* fragment(const Fragment& fragment) override;

    int width() const { return width_; }
    int height() const { return height_; }
    // Pixel (x, y) at y * width + x, row 0 at the bottom.
    const std::vector<std::uint32_t>& fragmentCounts() const { return counts_; }
    const std::vector<std::int32_t>& winningObjects() const { return objects_; }
    const std::vector<std::int32_t>& winningFaces() const { return faces_; }

  private:
    int width_;
    int height_;
    std::vector<std::uint32_t> counts_;
    std::vector<std::int32_t> objects_;
    std::vector<std::int32_t> faces_;
};

// Rows of the legend strip below a picture of this width.
int stageLegendHeight(int width);

// Grey where a fragment was stored, the nearest depth brightest (255) and the
// farthest darkest (kFarthestGrey), stretched over the covered range; black
// where nothing was stored (depth 1.0 or above, or NaN). The legend gives the
// range.
constexpr int kFarthestGrey = 48;
RgbCanvas depthPicture(const float* depths, int width, int height);

// The colour of a face in the faces picture: the hue of its object's diffuse
// colour, at one of seven lightnesses chosen by the face index so that
// neighbouring faces of a tessellated grid differ.
RgbCanvas::Rgb faceColour(const Scene& scene, int object, int face);
constexpr RgbCanvas::Rgb kNoFaceColour = {255, 255, 255};
RgbCanvas facesPicture(const StageRecorder& stages, const Scene& scene);

// The heat colour of a fragment count: white for none, then one colour per
// count from 1 (dark blue) to kHottestCount and above (dark red).
constexpr std::uint32_t kHottestCount = 8;
RgbCanvas::Rgb fragmentCountColour(std::uint32_t count);
RgbCanvas fragmentsPicture(const StageRecorder& stages);
