#include "raster/plain/shade_pixel.h"

#include <cmath>

#include "raster/plain/device_coordinate.h"
#include "raster/plain/shading_sinks.h"

LightParts lightParts(float d, float f, const Color& diffuse, const Color& specular,
                      const Color& lightColor) {
    const Color diffusePart(d * diffuse.r, d * diffuse.g, d * diffuse.b, 1.0f);
    const Color specularPart(f * specular.r, f * specular.g, f * specular.b, 1.0f);
    const Color contribution((specularPart.r + diffusePart.r) * lightColor.r,
                             (specularPart.g + diffusePart.g) * lightColor.g,
                             (specularPart.b + diffusePart.b) * lightColor.b, 1.0f);
    return {diffusePart, specularPart, contribution};
}

// Scales v to unit length in float: squares and their sum in float, a float
// square root, k = 1 / length, float products. No zero-length check.
Vec3 normalized(const Vec3& v) {
    const float length = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
    const float k = 1.0f / length;
    return Vec3{v.x * k, v.y * k, v.z * k};
}

// s to the power of a signed integer by repeated squaring (no pow): s^0 is 1
// and a negative exponent gives the reciprocal.
float integerPower(float s, int exponent) {
    unsigned m = shininessMagnitude(exponent);
    float f = 1.0f;
    float base = s;
    while (m != 0u) {
        if ((m & 1u) != 0u) f = f * base;
        base = base * base;
        m >>= 1;
    }
    return exponent < 0 ? 1.0f / f : f;
}

namespace {

template <typename Terms>
void lightPixel(Color& out, const FaceContext& face, Vec3& normal, float column, float row,
                float depth, Terms terms) {
    const LightingConstants& lighting = face.draw.shading;
    const MaterialShading& material = face.material();

    // The pixel back in the world: device coordinates, then the inverse
    // projection and the inverse view, then the divide by w.
    const Vec4 device{deviceCoordinate(column, face.draw.width),
                      deviceCoordinate(row, face.draw.height), depth, 1.0f};
    const Vec4 q = lighting.inverseProjection.transform(device);
    const Vec3 p = dehomogenized(lighting.inverseView.transform(q));

    const Vec3 view =
        normalized(Vec3{lighting.eye.x - p.x, lighting.eye.y - p.y, lighting.eye.z - p.z});
    normal = normalized(normal);
    const Vec3 n = normal;
    terms.surface(n, p, view, material.ambient);

    const Color& diffuse = material.diffuse;
    const Color& specular = material.specular;
    float sr = 0.0f, sg = 0.0f, sb = 0.0f;
    for (const Light& light : lighting.lights) {
        const Vec3 l = normalized(
            Vec3{light.position.x - p.x, light.position.y - p.y, light.position.z - p.z});
        float d = dot3(n, l);
        if (d < 0.0f) d = 0.0f;  // a NaN stays
        const Vec3 h = normalized(Vec3{view.x + l.x, view.y + l.y, view.z + l.z});
        // Not clamped: the specular part is added even for a light behind
        // the surface, and an odd power of a negative base darkens.
        const float s = dot3(h, n);
        const float f = integerPower(s, material.shininess);
        const LightParts parts = lightParts(d, f, diffuse, specular, light.color);
        sr = sr + parts.contribution.r;
        sg = sg + parts.contribution.g;
        sb = sb + parts.contribution.b;
        terms.light(
            {l, d, parts.diffuse, h, s, f, parts.specular, light.color, parts.contribution});
    }

    // Never clamped: above 1 and below 0 are stored as they come.
    out.r = sr + material.ambient.r;
    out.g = sg + material.ambient.g;
    out.b = sb + material.ambient.b;
    terms.colour(Color(out.r, out.g, out.b, 1.0f));
}

}  // namespace

void shadePixel(Color& out, const FaceContext& face, Vec3& normal, float column, float row,
                float depth) {
    lightPixel(out, face, normal, column, row, depth, DiscardTerms{});
}

void shadePixel(Color& out, const FaceContext& face, Vec3& normal, float column, float row,
                float depth, ShadingTerms& terms) {
    lightPixel(out, face, normal, column, row, depth, RecordTerms{terms});
}
