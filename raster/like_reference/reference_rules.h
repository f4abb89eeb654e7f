#pragma once

#include <string>

// Rules of the OpenGL reference renderer that the software renderer's plain
// path can follow in place of its own, one switch per known difference
// between the two pictures. All off: the software picture as the viewer
// shows it, to the last bit.
struct ReferenceRules {
    // A pixel is covered when its centre lies inside the face; rows, columns,
    // depth, normal and lighting are sampled at pixel centres (+0.5), not at
    // truncated edge positions.
    bool sampling = false;
    // Ambient term: the scene's ambient times the material's ambient colour,
    // which the reference sets to the scene's ambient, not to the diffuse.
    bool ambient = false;
    // Lights as directions towards their position (w = 0), not as points.
    bool lights = false;
    // The viewer at infinity (looking along the eye's -z), not at the eye.
    bool viewer = false;
    // Specular only where the light faces the surface, its base clamped at 0.
    bool specular = false;
    // Lit at the corners in eye space, clamped to [0, 1], and the colours
    // spread over the face as a fan of triangles from its first corner,
    // linearly in screen space at pixel centres: smooth shading.
    bool vertex = false;
    // With the vertex rule: the corner colours interpolated perspective-
    // correctly (each corner's weight divided by its clip w), as the
    // reference interpolates them, not linearly in screen space.
    bool perspective = false;
    // Screen positions of the corners rounded to the nearest 1/2^subpixel
    // pixel before edge set-up: the sub-pixel bits of the reference's grid,
    // 1 to kMaxSubpixelBits, or 0 for no grid. Mesa's llvmpipe snaps to 8
    // bits (1/256 pixel); other OpenGL implementations to other grids.
    int subpixel = 0;

    bool any() const {
        return sampling || ambient || lights || viewer || specular || vertex || perspective ||
               subpixel != 0;
    }
    // Whether the per-pixel lighting equation itself changes.
    bool lighting() const { return ambient || lights || viewer || specular; }
    // Whether these rules set up the same edges and spans as `other`, so
    // that every face covers the same pixels under both: only `sampling` and
    // `subpixel` move them; the other switches change the colours alone.
    bool sameCoverage(const ReferenceRules& other) const {
        return sampling == other.sampling && subpixel == other.subpixel;
    }
};

// The finest grid `subpixel=BITS` names, and the one plain `subpixel`
// names: llvmpipe's 1/256 pixel.
constexpr int kMaxSubpixelBits = 8;
constexpr int kDefaultSubpixelBits = 8;

// The switches' names, in the order the difference ladder turns them on.
constexpr int kReferenceRuleCount = 8;
extern const char* const kReferenceRuleNames[kReferenceRuleCount];
constexpr int kSubpixelRule = kReferenceRuleCount - 1;  // the last: the grid

// Whether the switch named kReferenceRuleNames[index] is on.
bool referenceRuleOn(const ReferenceRules& rules, int index);

// Turns it on or off; on, `subpixel` takes kDefaultSubpixelBits.
void setReferenceRule(ReferenceRules& rules, int index, bool on);

// The switch as --like-reference names it: its name, and for a grid other
// than kDefaultSubpixelBits "subpixel=BITS".
std::string referenceRuleName(const ReferenceRules& rules, int index);

// The first `count` switches of the ladder on, the rest off.
ReferenceRules firstReferenceRules(int count);

// Reads "all" or a comma-separated list of names; "subpixel=BITS", BITS one
// digit from 1 to kMaxSubpixelBits, names a grid, and a list may name only
// one ("all" has kDefaultSubpixelBits). False, with the offending name (or
// the whole text when it holds no name) in *bad, for anything else.
bool parseReferenceRules(const std::string& text, ReferenceRules* rules, std::string* bad);

// The switches that are on, comma-separated in ladder order as
// referenceRuleName names them; "none" when none is.
std::string referenceRulesText(const ReferenceRules& rules);
