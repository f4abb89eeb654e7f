#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "raster/like_reference/reference_rules.h"
#include "raster/render_software.h"
#include "scene/corner_key.h"
#include "scene/scene.h"

// The scene (camera set up) with only the faces that can change the pixels
// of `kept` when a width x height frame is drawn under `rules` keeping their
// corners: on each kept row, those with a span that covers a column from the
// leftmost start of the spans covering a kept pixel to the last kept column.
// A pixel holds the fragment of the last face to pass its depth test there,
// and that fragment's colour depends on the depth tests of its span's
// earlier columns too (the running normal steps on from a passed pixel's
// normalised normal), which depend on the faces drawn there before it. The
// depths a face leaves are its own, whatever passed before it, so a face
// whose spans lie left of those columns, right of them or off the kept rows
// changes nothing in the kept pixels. The others are left without corners,
// so that every face keeps its place in draw order and a stop point means
// what it means in the whole scene.
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
        const CornerKey key = CornerKey::of(position);
        const std::size_t mask = slots_.size() - 1;
        for (std::size_t i = key.hash() & mask;; i = (i + 1) & mask) {
            Slot& slot = slots_[i];
            if (!slot.taken) return take(slot, key, position);
            if (slot.key == key) return slot.place;
        }
    }

    // Whether the places are those of this scene's camera at this size, so
    // that the scene's corners can be looked up here.
    bool sameScreen(const Scene& scene, int width, int height) const;

  private:
    struct Slot {  // all zero: not taken
        CornerKey key;
        Place place;
        bool taken;
    };
    Place take(Slot& slot, const CornerKey& key, const Vec4& position);
    void grow();
    Matrix4 view_;
    Matrix4 projection_;
    int width_;
    int height_;
    std::vector<Slot> slots_;  // at most half of them taken
    std::size_t taken_ = 0;
};

// The places of the scene's corners for its camera at this size, kept on
// this thread from one call to the next: the stories, the settling ladder
// and the magnifier of a frame all ask with the same camera and size, and
// between them each corner is then taken to the screen once. The screen
// given is replaced by the next call on the thread for another camera or
// size.
CornerScreen& cornerScreenOf(const Scene& scene, int width, int height);

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

// At most the signed distance (signedDistanceFromOutline) of the point
// (x, y) from the face's outline as the vertex stage puts it on the screen,
// its corners moved by up to half a pixel (a grid's snapping): minus how far
// the point lies outside the box around the corners' places, less the half
// pixel. Infinity where the point may be near or inside, or for a face with
// a corner at or behind the eye.
double outlineDistanceBound(CornerScreen& corners, const Face& face, double x, double y);
