#pragma once

#include <vector>

#include "raster/scan_edge.h"
#include "scene/scene.h"

// Draws every face of every object into colorBuffer and depthBuffer, which
// must already be sized for width x height and cleared.
void renderSoftware(Scene& scene, int width, int height);

// What renderSoftware hands each face's edge list to (scanConvertPolygon in
// the real pipeline): the list, width, height, the scene and the face's
// object. It is called once per face, also with an empty list.
using FaceFiller = void (*)(std::vector<ScanEdge>& edges, int width, int height, const Scene& scene,
                            const SceneObject& object);

// renderSoftware with the per-face fill replaced, so the edge lists the
// vertex stage builds can be looked at.
void renderSoftwareThrough(Scene& scene, int width, int height, FaceFiller fill);
