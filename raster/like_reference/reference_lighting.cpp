#include "raster/like_reference/reference_lighting.h"

#include <algorithm>
#include <cmath>

#include "raster/plain/device_coordinate.h"
#include "raster/plain/shade_pixel.h"
#include "raster/plain/shading_sinks.h"

namespace {

Vec3 minus(const Vec3& a, const Vec3& b) {
    return Vec3{a.x - b.x, a.y - b.y, a.z - b.z};
}

Vec3 direction(const Matrix4& m, const Vec3& v) {
    const Vec4 d = m.transform(Vec4{v.x, v.y, v.z, 0.0f});
    return Vec3{d.x, d.y, d.z};
}

Vec3 point(const Matrix4& m, const Vec3& v) {
    return dehomogenized(m.transform(Vec4{v.x, v.y, v.z, 1.0f}));
}

// The equation above for a point at p with normal n, unit direction v
// towards the viewer and lightDirection(light) the unit direction towards
// each light; every term goes to `terms` on the way.
template <typename LightDirection, typename Terms>
Color lightingEquation(const Scene& scene, const Material& material, const Vec3& p, const Vec3& n,
                       const Vec3& v, LightDirection lightDirection, const ReferenceRules& rules,
                       Terms terms) {
    const Color& diffuse = material.diffuse;
    const Color& specular = material.specular;
    const Color& reflectance = rules.ambient ? scene.ambient : diffuse;
    const Color ambient(scene.ambient.r * reflectance.r, scene.ambient.g * reflectance.g,
                        scene.ambient.b * reflectance.b, 1.0f);
    terms.surface(n, p, v, ambient);
    float sr = 0.0f, sg = 0.0f, sb = 0.0f;
    for (const Light& light : scene.lights) {
        const Vec3 l = lightDirection(light);
        const float facing = dot3(n, l);
        const float d = facing < 0.0f ? 0.0f : facing;
        const Vec3 h = normalized(Vec3{v.x + l.x, v.y + l.y, v.z + l.z});
        const float s = dot3(h, n);
        float f = 0.0f;
        if (!rules.specular) {
            f = integerPower(s, material.shininess);
        } else if (facing > 0.0f) {
            f = integerPower(std::max(s, 0.0f), material.shininess);
        }
        const LightParts parts = lightParts(d, f, diffuse, specular, light.color);
        sr = sr + parts.contribution.r;
        sg = sg + parts.contribution.g;
        sb = sb + parts.contribution.b;
        terms.light(
            {l, d, parts.diffuse, h, s, f, parts.specular, light.color, parts.contribution});
    }
    const Color lit(sr + ambient.r, sg + ambient.g, sb + ambient.b, diffuse.a);
    terms.colour(Color(lit.r, lit.g, lit.b, 1.0f));
    return lit;
}

float clamped(float value) {
    return std::clamp(value, 0.0f, 1.0f);
}

template <typename Terms>
void lightPixel(Color& out, const Scene& scene, const Material& material, Vec3& normal,
                float column, float row, float depth, int width, int height,
                const ReferenceRules& rules, Terms terms) {
    const Matrix4& inverseView = scene.viewTransform.inverse;
    const Vec4 device{deviceCoordinate(column, width), deviceCoordinate(row, height), depth, 1.0f};
    const Vec3 p =
        dehomogenized(inverseView.transform(scene.projectionTransform.inverse.transform(device)));
    const Vec3 eye = point(inverseView, Vec3{0.0f, 0.0f, 0.0f});
    // The viewer at infinity lies along the eye's +z axis.
    const Vec3 v = rules.viewer ? normalized(direction(inverseView, Vec3{0.0f, 0.0f, 1.0f}))
                                : normalized(minus(eye, p));
    normal = normalized(normal);
    const Color lit = lightingEquation(
        scene, material, p, normal, v,
        [&](const Light& light) {
            return normalized(rules.lights ? light.position : minus(light.position, p));
        },
        rules, terms);
    out.r = lit.r;
    out.g = lit.g;
    out.b = lit.b;
}

}  // namespace

void lightPixelLikeReference(Color& out, const Scene& scene, const Material& material, Vec3& normal,
                             float column, float row, float depth, int width, int height,
                             const ReferenceRules& rules) {
    lightPixel(out, scene, material, normal, column, row, depth, width, height, rules,
               DiscardTerms{});
}

void lightPixelLikeReference(Color& out, const Scene& scene, const Material& material, Vec3& normal,
                             float column, float row, float depth, int width, int height,
                             const ReferenceRules& rules, ShadingTerms& terms) {
    lightPixel(out, scene, material, normal, column, row, depth, width, height, rules,
               RecordTerms{terms});
}

Vec3 eyeNormalLikeReference(const Scene& scene, const Vec3& sceneNormal) {
    const Matrix4& inverseView = scene.viewTransform.inverse;
    // Normals go through the inverse transpose of the model-view matrix.
    Vec3 n;
    float* const out[3] = {&n.x, &n.y, &n.z};
    for (int i = 0; i < 3; ++i) {
        *out[i] = static_cast<float>(inverseView.at(0, i) * sceneNormal.x +
                                     inverseView.at(1, i) * sceneNormal.y +
                                     inverseView.at(2, i) * sceneNormal.z);
    }
    return n;
}

Color lightCornerLikeReference(const Scene& scene, const Material& material,
                               const Vec3& eyePosition, const Vec3& sceneNormal,
                               const ReferenceRules& rules) {
    const Matrix4& view = scene.viewTransform.matrix;
    const Vec3 n = eyeNormalLikeReference(scene, sceneNormal);
    const Vec3 v = rules.viewer ? Vec3{0.0f, 0.0f, 1.0f}
                                : normalized(Vec3{-eyePosition.x, -eyePosition.y, -eyePosition.z});
    const Color lit = lightingEquation(
        scene, material, eyePosition, n, v,
        [&](const Light& light) {
            return normalized(rules.lights ? direction(view, light.position)
                                           : minus(point(view, light.position), eyePosition));
        },
        rules, DiscardTerms{});
    return Color(clamped(lit.r), clamped(lit.g), clamped(lit.b), clamped(lit.a));
}
