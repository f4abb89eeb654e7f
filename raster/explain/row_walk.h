#pragma once

#include <array>
#include <optional>
#include <vector>

#include "math/vec.h"
#include "raster/like_reference/reference_rules.h"
#include "scene/scene.h"

// What the plain path's row walk does on one row, worked out again with the
// frame's own stages (the textbook's, or the reference's rules): the spans
// it sets up there and, for one face, its vertex stage.

// A span of one face on the row.
struct RowSpan {
    int object = 0;
    int face = 0;
    float left = 0.0f;  // the edges' x on the row, as the walk stepped them
    float right = 0.0f;
    int firstColumn = 0;  // the columns it fills, firstColumn .. endColumn - 1
    int endColumn = 0;    // (endColumn == firstColumn: none)
};

// An edge of the face that crosses the row.
struct EdgeAtRow {
    float x = 0.0f;     // its x on the row, as the walk stepped it
    float dxdy = 0.0f;  // its step per row
    float yStart = 0.0f;
    float yEnd = 0.0f;
};

// The face's vertex stage: its corners in clip space and on the screen (x,
// y, depth), in outline order after any clipping, and the edges on the row.
struct FaceVertexStage {
    int object = 0;
    int face = 0;
    std::vector<Vec4> clipCorners;
    std::vector<Vec3> screenCorners;
    std::vector<EdgeAtRow> edgesOnRow;
};

// Every span the walk sets up on `row` of a width x height frame of the
// scene (camera set up), in draw order.
std::vector<RowSpan> spansOnRow(const Scene& scene, int width, int height,
                                const ReferenceRules& rules, int row);

// The spans nearest to `column` on their row, none of which covers it: the
// nearest one ending left of it and the nearest one starting right of it.
std::vector<RowSpan> nearestSpans(const std::vector<RowSpan>& spans, int column);

// The vertex stage of one face, with its edges that cross `row`.
FaceVertexStage faceVertexStage(const Scene& scene, int width, int height,
                                const ReferenceRules& rules, int object, int face, int row);

// Signed distance in pixels of the point (x, y) from the nearest side of a
// closed outline: positive inside (even-odd rule), negative outside.
double signedDistanceFromOutline(double x, double y,
                                 const std::vector<std::array<double, 2>>& outline);
