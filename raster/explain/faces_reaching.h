#pragma once

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
