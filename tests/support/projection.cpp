#include "projection.h"

#include <cmath>

namespace {
void apply(const Matrix4& m, const double in[4], double out[4]) {
    for (int row = 0; row < 4; ++row) {
        out[row] = m.at(row, 0) * in[0] + m.at(row, 1) * in[1] + m.at(row, 2) * in[2] +
                   m.at(row, 3) * in[3];
    }
}
}  // namespace

bool projectToWindow(const Scene& scene, double wx, double wy, double wz, int width, int height,
                     WindowPoint* out) {
    const double world[4] = {wx, wy, wz, 1.0};
    double eye[4];
    double clip[4];
    apply(scene.viewTransform.matrix, world, eye);
    apply(scene.projectionTransform.matrix, eye, clip);
    if (clip[3] <= 0.0) return false;
    out->x = (clip[0] / clip[3] + 1.0) * 0.5 * width;
    out->y = (clip[1] / clip[3] + 1.0) * 0.5 * height;
    return true;
}

void defaultPatchPoint(int object, double* wx, double* wy, double* wz) {
    static const double centres[3][2] = {{0.5, -0.5}, {-0.5, 0.5}, {-0.5, -0.5}};
    const double along = 0.5 / std::sqrt(3.0);
    *wx = centres[object][0] + along;
    *wy = centres[object][1] + along;
    *wz = along;
}

int dominantChannel(const unsigned char rgb[3], int margin) {
    for (int c = 0; c < 3; ++c) {
        const int other1 = rgb[(c + 1) % 3];
        const int other2 = rgb[(c + 2) % 3];
        if (rgb[c] >= other1 + margin && rgb[c] >= other2 + margin) return c;
    }
    return -1;
}
