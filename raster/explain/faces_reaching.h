#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "raster/like_reference/reference_rules.h"
#include "raster/render_software.h"
#include "scene/scene.h"

// The scene (camera set up) with only the faces that can change the pixels
// of `kept` when a width x height frame is drawn under `rules` keeping their
// corners: those with a span on one of its rows that begins at or left of
// its last column. A pixel holds the fragment of the last face to pass its
// depth test there, and that fragment's colour depends on the depth tests
// of its span's earlier columns too (the running normal steps on from a
// passed pixel's normalised normal), which depend on the faces drawn there
// before it; a face reaching the kept rows only right of the kept columns,
// or no kept row at all, changes nothing in them. The others are left
// without corners, so that every face keeps its place in draw order and a
// stop point means what it means in the whole scene.
Scene facesReaching(const Scene& scene, int width, int height, const ReferenceRules& rules,
                    const PixelBounds& kept);

// Where the corners of a scene (camera set up) fall on a width x height
// screen, each distinct position taken there once (neighbouring faces share
// their corners).
class CornerScreen {
  public:
    CornerScreen(const Scene& scene, int width, int height);

    // The corner's screen x and y; NaN for a corner at or behind the eye.
    struct Place {
        double x, y;
    };
    Place at(const Vec4& position) {
        std::uint32_t key[4];
        std::memcpy(key, &position, sizeof key);
        std::uint32_t hash = 2166136261u;
        for (const std::uint32_t word : key) hash = (hash ^ word) * 16777619u;
        const std::size_t mask = slots_.size() - 1;
        for (std::size_t i = (hash ^ (hash >> 16)) & mask;; i = (i + 1) & mask) {
            Slot& slot = slots_[i];
            if (!slot.taken) return take(slot, key, position);
            if (std::memcmp(slot.key, key, sizeof key) == 0) return slot.place;
        }
    }

  private:
    struct Slot {  // all zero: not taken
        std::uint32_t key[4];
        Place place;
        bool taken;
    };
    Place take(Slot& slot, const std::uint32_t (&key)[4], const Vec4& position);
    const Scene& scene_;
    int width_;
    int height_;
    std::vector<Slot> slots_;
};

// Whether a face wholly in front of the eye lies, on the screen, more than
// two rows below or above the rows of `pixels` at every corner, or (with
// `columnsToo`) more than two columns left or right of its columns: then no
// side of it comes near them under any rules, and its vertex stage can be
// left out. The rules move a side's ends by less than a pixel (the grid by
// at most half a cell, sampling to the next row centre), and a side lies
// between its ends. False for a face with a corner at or behind the eye, or
// at no finite place: that answer needs the whole vertex stage.
bool farFromPixels(CornerScreen& corners, const Face& face, const PixelBounds& pixels,
                   bool columnsToo);
