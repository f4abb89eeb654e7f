#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "gl/gl_platform.h"
#include "raster/plain/fragment_observer.h"
#include "scene/scene.h"

// Everything both renderers did at one pixel, and how the results compare.

// One fragment at the pixel, with what became of it.
struct ExplainedFragment {
    Fragment fragment;
    bool replaced = false;              // it passed, and a later fragment passed too
    std::optional<ShadingTerms> terms;  // for the fragments that passed
};

// Collects the fragments at one pixel while the plain path draws, with the
// lighting terms of those that pass.
class PixelHistory : public FragmentObserver {
  public:
    PixelHistory(int column, int row) : column_(column), row_(row) {}

    ShadingTerms* fragment(const Fragment& fragment) override;

    // The fragments in draw order, each passed one marked when a later one
    // replaced it.
    const std::vector<ExplainedFragment>& fragments() const { return fragments_; }

  private:
    int column_;
    int row_;
    std::vector<ExplainedFragment> fragments_;
};

struct SoftwarePixel {
    std::vector<ExplainedFragment> fragments;
    Color color;                                // what the colour buffer holds
    float depth = 1.0f;                         // what the depth buffer holds
    std::array<std::uint8_t, 3> windowBytes{};  // the colour as the window shows it
};

struct ReferencePixel {
    std::array<std::uint8_t, 3> windowBytes{};
    float windowDepth = 1.0f;  // 0 near to 1 far, 1 where nothing was drawn
    int object = -1;           // the object OpenGL drew there, -1 for none
};

struct PixelExplanation {
    int x = 0;
    int y = 0;  // row, 0 at the bottom
    int width = 0;
    int height = 0;
    std::vector<std::string> objectNames;  // by object index
    std::vector<Color> lightColors;        // by light index
    SoftwarePixel software;
    std::optional<ReferencePixel> reference;
    std::string referenceMissing;  // why there is no reference, when there is none
};

// "red", "green" or "blue": the strongest channel of the object's diffuse colour.
std::string colourName(const SceneObject& object);

// "both", "software_only", "reference_only" or "neither"; the explanation
// must hold a reference. A renderer covers the pixel where its depth is
// below 1.0.
std::string coverage(const PixelExplanation& explanation);

// |software - reference| of each window byte.
std::array<int, 3> stepDifference(const SoftwarePixel& software, const ReferencePixel& reference);

// The explanation for people, several lines; `gl` is the OpenGL that drew
// the reference, when there is one.
std::string explanationText(const PixelExplanation& explanation, const GlImplementation& gl);

// The explanation as one JSON object on one line (keys in the usage text).
// Floats are written with nine significant digits, which read back to the
// same 32-bit value; infinities and NaN are written as null.
std::string explanationJson(const PixelExplanation& explanation, const GlImplementation& gl);
