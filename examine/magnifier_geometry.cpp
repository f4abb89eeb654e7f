#include "examine/magnifier_geometry.h"

#include <algorithm>
#include <memory>

#include "raster/buffers/frame_buffers.h"
#include "raster/buffers/window_bytes.h"
#include "raster/explain/faces_reaching.h"
#include "raster/like_reference/reference_sampling.h"
#include "raster/like_reference/reference_stages.h"
#include "raster/like_reference/render_like_reference.h"
#include "raster/plain/active_edges.h"
#include "raster/plain/span.h"
#include "raster/plain/vertex_stage.h"
#include "view/camera.h"

namespace {

bool reachesCrop(const std::vector<Point2>& outline, double left, double bottom) {
    if (outline.empty()) return false;
    double x0 = outline[0][0], x1 = x0, y0 = outline[0][1], y1 = y0;
    for (const Point2& p : outline) {
        x0 = std::min(x0, p[0]);
        x1 = std::max(x1, p[0]);
        y0 = std::min(y0, p[1]);
        y1 = std::max(y1, p[1]);
    }
    return x1 >= left && x0 <= left + kMagnifierSide && y1 >= bottom &&
           y0 <= bottom + kMagnifierSide;
}

template <typename Take>
void forEachCropPixel(MagnifierGeometry& g, Take take) {
    for (int row = g.bottom(); row < g.bottom() + kMagnifierSide; ++row) {
        for (int column = g.left(); column < g.left() + kMagnifierSide; ++column) {
            MagnifiedPixel& p = g.at(column, row);
            p.inFrame = column >= 0 && column < g.width && row >= 0 && row < g.height;
            if (p.inFrame) {
                take(p, static_cast<std::size_t>(row) * static_cast<std::size_t>(g.width) +
                            static_cast<std::size_t>(column));
            }
        }
    }
}

}  // namespace

MagnifierGeometry gatherMagnifierGeometry(const Scene& scene, int width, int height,
                                          const ReferenceRules& rules, int gridBits, int x, int y,
                                          const std::optional<StopPoint>& onlyFace) {
    MagnifierGeometry g;
    g.gridBits = gridBits;
    const auto onGrid = [gridBits](float v) -> double {
        return gridBits > 0 ? snappedToSubpixelGrid(v, gridBits) : v;
    };
    g.x = x;
    g.y = y;
    g.width = width;
    g.height = height;
    g.pixels.resize(static_cast<std::size_t>(kMagnifierSide) * kMagnifierSide);

    std::unique_ptr<ReferenceStages> reference;
    if (rules.any()) reference = std::make_unique<ReferenceStages>(rules);
    const DrawStages& stages = reference ? *reference : DrawStages::textbook();
    VertexStage vertices;
    std::vector<ScanEdge> edges, active;
    // A face whose corners all lie well away from the crop is not in it.
    CornerScreen& corners = cornerScreenOf(scene, width, height);
    const PixelBounds crop{g.left(), g.bottom(), g.left() + kMagnifierSide - 1,
                           g.bottom() + kMagnifierSide - 1};
    for (std::size_t o = 0; o < scene.objects.size(); ++o) {
        for (std::size_t f = 0; f < scene.objects[o].faces.size(); ++f) {
            if (farFromPixels(corners, scene.objects[o].faces[f], crop, true)) continue;
            vertices.faceEdges(scene, scene.objects[o].faces[f], width, height, edges, stages);
            MagnifiedFace face;
            face.object = static_cast<int>(o);
            face.face = static_cast<int>(f);
            for (const Vertex& v : vertices.screenPolygon()) {
                face.outline.push_back({v.position.x, v.position.y});
                face.referenceOutline.push_back({onGrid(v.position.x), onGrid(v.position.y)});
            }
            if (!reachesCrop(face.outline, g.left(), g.bottom())) continue;
            if (!onlyFace || onlyFace->isFace(o, f)) {
                forEachActiveRow(
                    edges, height, active, [&](int row, const std::vector<ScanEdge>& sorted) {
                        if (row < g.bottom() || row >= g.bottom() + kMagnifierSide) return;
                        MagnifiedRow told;
                        told.y = row;
                        told.object = face.object;
                        told.face = face.face;
                        for (const ScanEdge& e : sorted) told.edgeX.push_back(e.x);
                        for (std::size_t i = 0; i + 1 < sorted.size(); i += 2) {
                            Span span;
                            if (stages.setupSpan(sorted[i], sorted[i + 1], width, span)) {
                                told.spans.push_back({span.startColumn, span.endColumn});
                            }
                        }
                        g.rows.push_back(std::move(told));
                    });
            }
            g.faces.push_back(std::move(face));
        }
    }
    return g;
}

void takeSoftwarePixels(MagnifierGeometry& g, PixelBuffers buffers) {
    forEachCropPixel(g, [&](MagnifiedPixel& p, std::size_t i) {
        const Color& c = buffers.color[i];
        p.rgb = {windowByte(c.r), windowByte(c.g), windowByte(c.b)};
        p.software = buffers.depth[i] < 1.0f;
    });
}

void takeSoftwarePixels(MagnifierGeometry& g, const std::vector<float>& rgb,
                        const std::vector<float>& depth) {
    forEachCropPixel(g, [&](MagnifiedPixel& p, std::size_t i) {
        p.rgb = {windowByte(rgb[3 * i]), windowByte(rgb[3 * i + 1]), windowByte(rgb[3 * i + 2])};
        p.software = depth[i] < 1.0f;
    });
}

void takeModelCoverage(MagnifierGeometry& g, Scene& scene, const StopPoint* stop,
                       FrameBuffers& buffers) {
    if (!prepareFrameBuffers(buffers, g.width, g.height)) return;
    renderSoftwareLikeReference(scene, buffers.pixels(), g.width, g.height,
                                firstReferenceRules(kReferenceRuleCount), nullptr, stop);
    forEachCropPixel(
        g, [&](MagnifiedPixel& p, std::size_t i) { p.reference = buffers.depth[i] < 1.0f; });
}

void takeReferenceCoverage(MagnifierGeometry& g, const float* windowDepth, int rectX, int rectY,
                           int rectWidth, int rectHeight) {
    forEachCropPixel(g, [&](MagnifiedPixel& p, std::size_t i) {
        const int column = static_cast<int>(i % static_cast<std::size_t>(g.width)) - rectX;
        const int row = static_cast<int>(i / static_cast<std::size_t>(g.width)) - rectY;
        if (column < 0 || column >= rectWidth || row < 0 || row >= rectHeight) return;
        p.reference = windowDepth[static_cast<std::size_t>(row) * rectWidth + column] < 1.0f;
    });
}

MagnifierGeometry magnifyAround(const View& view, int width, int height,
                                const ReferenceRules& rules, int gridBits, int x, int y,
                                const std::optional<StopPoint>& face,
                                const ReferenceDepthRect* referenceDepth, FrameBuffers& buffers) {
    Scene scene = defaultSceneSeenFrom(view, width, height);
    MagnifierGeometry g =
        gatherMagnifierGeometry(scene, width, height, rules, gridBits, x, y, face);
    takeSoftwarePixels(g, buffers.pixels());
    if (referenceDepth) {
        takeReferenceCoverage(g, referenceDepth->windowDepth->data(), referenceDepth->x,
                              referenceDepth->y, referenceDepth->width, referenceDepth->height);
    } else {
        takeModelCoverage(g, scene, face ? &*face : nullptr, buffers);
    }
    return g;
}
