#include "scene/sphere.h"

#include <cmath>

namespace {

constexpr double kQuarterTurn = 1.570795;

struct SinCos {
    float s;
    float c;
};

// Sine and cosine in double of an angle already rounded to float, each
// result rounded to float.
SinCos sinCos(float angle) {
    return SinCos{static_cast<float>(std::sin(static_cast<double>(angle))),
                  static_cast<float>(std::cos(static_cast<double>(angle)))};
}

void addCorner(Scene& scene, double radius, SinCos a, SinCos b) {
    const Vec3 d{b.s * a.c, b.s * a.s, b.c};
    scene.setNormal(d);
    scene.addVertex(Vec4{static_cast<float>(d.x * radius), static_cast<float>(d.y * radius),
                         static_cast<float>(d.z * radius), 1.0f});
}

}  // namespace

void addSphere(Scene& scene, double radius, double subdivisions) {
    scene.beginObject();
    // Like a count that is not positive, an infinite one adds no faces:
    // following the loops below it would never end and only run the process
    // out of memory.
    if (!(0 < subdivisions) || std::isinf(subdivisions)) return;
    const double k = 1.0 / subdivisions;
    // Whole-number counters held as doubles: exact, and unlike an int they
    // cannot overflow whatever the count.
    for (double i = 0; i < subdivisions; ++i) {
        const SinCos a0 = sinCos(static_cast<float>(kQuarterTurn * i * k));
        const SinCos a1 = sinCos(static_cast<float>(kQuarterTurn * (i + 1) * k));
        for (double j = 0; j < subdivisions; ++j) {
            const SinCos b0 = sinCos(static_cast<float>(kQuarterTurn * j * k));
            const SinCos b1 = sinCos(static_cast<float>(kQuarterTurn * (j + 1) * k));
            scene.beginFace();
            addCorner(scene, radius, a0, b0);
            addCorner(scene, radius, a1, b0);
            addCorner(scene, radius, a1, b1);
            addCorner(scene, radius, a0, b1);
        }
    }
}
