#pragma once

#include <vector>

#include "raster/plain/clip_w.h"
#include "raster/plain/draw_stages.h"
#include "raster/plain/scan_edge.h"
#include "scene/scene.h"

// The vertex stage, one face at a time: takes the face's corners to the
// screen, cuts away whatever lies at or behind the eye, and sets up the
// sides that can cover a row as edges (the frame's edge set-up, textbook:
// setupEdge). Both software paths use it; it keeps its scratch storage from
// face to face.
class VertexStage {
  public:
    // Replaces the contents of `edges` with the face's edges, in the order of
    // the outline corners they end at, each set up by `stages`.
    void faceEdges(const Scene& scene, const Face& face, int width, int height,
                   std::vector<ScanEdge>& edges, const DrawStages& stages = DrawStages::textbook());

    // The polygon the last faceEdges drew, in outline order (vertex order
    // for a face wholly in front of the eye): its corners in clip space and
    // on the screen.
    const std::vector<ClipVertex>& polygon() const { return clippedUsed_ ? clipped_ : corners_; }
    const std::vector<Vertex>& screenPolygon() const { return screen_; }

  private:
    std::vector<ClipVertex> corners_;  // per vertex, in vertex order
    std::vector<Vertex> screen_;
    std::vector<ClipVertex> outline_;  // the prev-linked outline, for clipping
    std::vector<ClipVertex> clipped_;
    bool clippedUsed_ = false;

    void edgesInFront(const Face& face, int width, int height, std::vector<ScanEdge>& edges,
                      const DrawStages& stages);
    void edgesClipped(const Face& face, int width, int height, std::vector<ScanEdge>& edges,
                      const DrawStages& stages);
};
