#pragma once

#include <vector>

#include "raster/clip_w.h"
#include "raster/scan_edge.h"
#include "scene/scene.h"

// The vertex stage for one face at a time: projects the face's corners,
// cuts away whatever lies at or behind the eye, and sets up the sides that
// can cover a row. Keeps its scratch storage from face to face.
class FaceEdgeBuilder {
  public:
    // Replaces the contents of `edges` with the face's edges, in the order of
    // the outline corners they end at.
    void build(const Scene& scene, const Face& face, int width, int height,
               std::vector<ScanEdge>& edges);

  private:
    std::vector<ClipVertex> corners_;  // per vertex, in vertex order
    std::vector<Vertex> screen_;
    std::vector<ClipVertex> outline_;  // the prev-linked outline, for clipping
    std::vector<ClipVertex> clipped_;

    void edgesInFront(const Face& face, int width, int height, std::vector<ScanEdge>& edges);
    void edgesClipped(const Face& face, int width, int height, std::vector<ScanEdge>& edges);
};
