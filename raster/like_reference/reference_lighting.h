#pragma once

#include "math/vec.h"
#include "raster/like_reference/reference_rules.h"
#include "raster/plain/fragment_observer.h"
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

// The pixel at (column, row) with its interpolated depth, lit like
// shadePixel in world space (from the position it recovers from the pixel
// and its depth on a width x height window) but with the lighting equation
// above, not clamped. Writes r, g, b of `out` (never a) and normalises
// `normal` in place as shadePixel does.
void lightPixelLikeReference(Color& out, const Scene& scene, const Material& material, Vec3& normal,
                             float column, float row, float depth, int width, int height,
                             const ReferenceRules& rules);

// The same, recording every value on the way to the colour in `terms` (the
// position there is the pixel's world position, the ambient the term the
// ambient rule chooses).
void lightPixelLikeReference(Color& out, const Scene& scene, const Material& material, Vec3& normal,
                             float column, float row, float depth, int width, int height,
                             const ReferenceRules& rules, ShadingTerms& terms);

// A scene normal in eye space as fixed-function lighting carries it: through
// the inverse transpose of the view, not renormalised.
Vec3 eyeNormalLikeReference(const Scene& scene, const Vec3& sceneNormal);

// One corner of a face, in eye space as fixed-function lighting works: the
// corner at eyePosition with the scene normal carried by the inverse
// transpose of the view and not renormalised, lights and viewer in eye space;
// each channel clamped to [0, 1].
Color lightCornerLikeReference(const Scene& scene, const Material& material,
                               const Vec3& eyePosition, const Vec3& sceneNormal,
                               const ReferenceRules& rules);
