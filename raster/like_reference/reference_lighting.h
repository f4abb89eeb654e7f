#pragma once

#include "math/vec.h"
#include "raster/like_reference/reference_rules.h"
#include "raster/plain/draw_context.h"
#include "scene/color.h"
#include "scene/scene.h"

// The lighting equation with the reference's rules where `rules` asks for
// them (ambient, lights, viewer, specular) and the software renderer's own
// elsewhere:
//   colour = ambient x (ambient rule ? scene ambient : diffuse)
//          + sum over lights of light colour x (d x diffuse + f x specular),
//   d = max(N.L, 0); f = (H.N)^shininess, or with the specular rule
//   max(H.N, 0)^shininess where N.L > 0 and 0 elsewhere; H = unit(V + L).
// N is used as given, V and L are unit vectors towards viewer and light.

// The colour of the pixel (column, row) of the face under the frame's rules:
// with the vertex rule the face's smooth colours at the pixel centre;
// otherwise lit like shadePixel (in world space, from the position it
// recovers from the pixel and its depth, at the pixel centre with the
// sampling rule) with the lighting equation above, not clamped. Normalises
// `normal` in place as shadePixel does. Leaves out.a alone.
void shadePixelLikeReference(Color& out, const FaceContext& face, Vec3& normal, int column, int row,
                             float depth);

// One corner of a face, in eye space as fixed-function lighting works: the
// corner at eyePosition with the scene normal carried by the inverse
// transpose of the view and not renormalised, lights and viewer in eye space;
// each channel clamped to [0, 1].
Color lightCornerLikeReference(const Scene& scene, const Material& material,
                               const Vec3& eyePosition, const Vec3& sceneNormal,
                               const ReferenceRules& rules);
