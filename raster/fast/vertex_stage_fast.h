// The fast counterpart of VertexStage::faceEdges (vertex_stage.h): the same
// edges in the same order, but a corner that faces of the frame share is
// taken to the screen once.
#pragma once

#include <cstdint>
#include <vector>

#include "raster/plain/scan_edge.h"
#include "raster/plain/vertex_stage.h"
#include "scene/corner_key.h"
#include "scene/scene.h"

class SharedVertexStage {
  public:
    // Starts a frame: the corners taken to the screen for an earlier frame
    // (other matrices or size) are forgotten. `corners` is about how many
    // the frame's faces have.
    void beginFrame(std::size_t corners);

    // VertexStage::faceEdges without reference rules. A face wholly in front
    // of the eye takes each corner's clip and screen position from the
    // frame's table when another face had a corner at the same position (the
    // same bits: toClipSpace and projectToScreen give the same bits for
    // them); a face reaching to or behind the eye goes through VertexStage.
    void faceEdges(const Scene& scene, const Face& face, int width, int height,
                   std::vector<ScanEdge>& edges);

  private:
    struct Projected {
        CornerKey key;
        std::uint32_t frame = 0;  // the frame it was taken for; 0: empty
        float clipW = 0.0f;
        Vec4 screen;
    };
    std::vector<Projected> table_;  // open addressing, a power of two long
    std::uint32_t frame_ = 0;
    std::vector<Vertex> screen_;  // the face's corners on the screen
    VertexStage clipping_;

    const Projected& projected(const Scene& scene, const Vec4& position, int width, int height);
    const Projected& take(Projected& entry, const CornerKey& key, const Scene& scene,
                          const Vec4& position, int width, int height);
};
