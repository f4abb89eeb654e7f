#include "raster/shade_pixel.h"

#include <cmath>

#include "raster/device_coordinate.h"

namespace {

// Scales v to unit length in float: squares and their sum in float, a float
// square root, k = 1 / length, float products. No zero-length check.
Vec3 normalized(const Vec3& v) {
    const float length = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
    const float k = 1.0f / length;
    return Vec3{v.x * k, v.y * k, v.z * k};
}

// The position of a homogeneous point after the divide, as a float reciprocal
// of w times each float component.
Vec3 dehomogenized(const Vec4& p) {
    const float r = 1.0f / p.w;
    return Vec3{p.x * r, p.y * r, p.z * r};
}

// s to the power of a signed integer by repeated squaring; s^0 is 1 and a
// negative exponent gives the reciprocal.
float integerPower(float s, int exponent) {
    // Magnitude taken in unsigned arithmetic so INT_MIN has one too.
    unsigned m =
        exponent < 0 ? 0u - static_cast<unsigned>(exponent) : static_cast<unsigned>(exponent);
    float f = 1.0f;
    float base = s;
    while (m != 0u) {
        if ((m & 1u) != 0u) f = f * base;
        base = base * base;
        m >>= 1;
    }
    return exponent < 0 ? 1.0f / f : f;
}

}  // namespace

void shadePixel(Color& out, const Scene& scene, Vec3& normal, float column, float row, float depth,
                int width, int height, const SceneObject& object) {
    const Vec3 eye =
        dehomogenized(scene.viewTransform.inverseTransform(Vec4{0.0f, 0.0f, 0.0f, 1.0f}));

    const Vec4 device{deviceCoordinate(column, width), deviceCoordinate(row, height), depth, 1.0f};
    const Vec4 q = scene.projectionTransform.inverseTransform(device);
    const Vec3 p = dehomogenized(scene.viewTransform.inverseTransform(q));

    const Vec3 view = normalized(Vec3{eye.x - p.x, eye.y - p.y, eye.z - p.z});
    normal = normalized(normal);
    const Vec3 n = normal;

    const Color& diffuse = object.material.diffuse;
    const Color& specular = object.material.specular;
    const int shininess = object.material.shininess;

    float sr = 0.0f, sg = 0.0f, sb = 0.0f;
    for (const Light& light : scene.lights) {
        const Vec3 l = normalized(
            Vec3{light.position.x - p.x, light.position.y - p.y, light.position.z - p.z});
        float d = dot3(n, l);
        if (d < 0.0f) d = 0.0f;
        const Vec3 h = normalized(Vec3{view.x + l.x, view.y + l.y, view.z + l.z});
        const float f = integerPower(dot3(h, n), shininess);
        sr = sr + (f * specular.r + d * diffuse.r) * light.color.r;
        sg = sg + (f * specular.g + d * diffuse.g) * light.color.g;
        sb = sb + (f * specular.b + d * diffuse.b) * light.color.b;
    }

    out.r = sr + scene.ambient.r * diffuse.r;
    out.g = sg + scene.ambient.g * diffuse.g;
    out.b = sb + scene.ambient.b * diffuse.b;
}
