#include "web/page_webgl_scene.h"

#include <algorithm>
#include <cstddef>

#include "scene/scene.h"
#include "view/camera.h"

namespace {

// Element 4 * column + row holds M(row, column) rounded to float.
void putColumnMajor(const Matrix4& m, float* out) {
    for (int column = 0; column < 4; ++column) {
        for (int row = 0; row < 4; ++row) {
            out[4 * column + row] = static_cast<float>(m.at(row, column));
        }
    }
}

// a * b of column-major float matrices, each element summed in float from
// the left.
void multiplyColumnMajor(const float* a, const float* b, float* out) {
    for (int row = 0; row < 4; ++row) {
        for (int column = 0; column < 4; ++column) {
            float sum = a[row] * b[4 * column];
            for (int k = 1; k < 4; ++k) sum = sum + a[4 * k + row] * b[4 * column + k];
            out[4 * column + row] = sum;
        }
    }
}

void putColor(const Color& c, float* out) {
    out[0] = c.r;
    out[1] = c.g;
    out[2] = c.b;
    out[3] = c.a;
}

void putCorner(const Vertex& vertex, const Material& material, std::vector<float>& out) {
    const Vec4& p = vertex.position;
    const Vec3& n = vertex.normal;
    const std::size_t at = out.size();
    out.resize(at + kWebglVertexFloats);
    float* v = &out[at];
    v[0] = p.x;
    v[1] = p.y;
    v[2] = p.z;
    v[3] = p.w;
    v[4] = n.x;
    v[5] = n.y;
    v[6] = n.z;
    putColor(material.diffuse, v + 7);
    putColor(material.specular, v + 11);
    v[15] = static_cast<float>(material.shininess);
}

}  // namespace

WebglScene buildWebglScene(const View& view, int width, int height) {
    Scene scene = defaultSceneSeenFrom(view, width, height);

    WebglScene out;
    for (const SceneObject& object : scene.objects) {
        for (const Face& face : object.faces) {
            for (std::size_t i = 1; i + 1 < face.vertices.size(); ++i) {
                putCorner(face.vertices[0], object.material, out.vertices);
                putCorner(face.vertices[i], object.material, out.vertices);
                putCorner(face.vertices[i + 1], object.material, out.vertices);
            }
        }
    }

    out.uniforms.assign(kWebglUniformFloats, 0.0f);
    float* u = out.uniforms.data();
    putColumnMajor(scene.viewTransform.matrix, u + kWebglModelViewAt);
    putColumnMajor(scene.projectionTransform.matrix, u + kWebglProjectionAt);
    multiplyColumnMajor(u + kWebglProjectionAt, u + kWebglModelViewAt,
                        u + kWebglModelViewProjectionAt);
    // Normals go through the inverse transpose of the model-view matrix:
    // column c of the transpose is row c of the inverse.
    const Matrix4& inverse = scene.viewTransform.inverse;
    for (int column = 0; column < 3; ++column) {
        for (int row = 0; row < 3; ++row) {
            u[kWebglNormalMatrixAt + 3 * column + row] =
                static_cast<float>(inverse.at(column, row));
        }
    }
    putColor(scene.ambient, u + kWebglAmbientAt);
    out.lightCount = static_cast<int>(std::min<std::size_t>(scene.lights.size(), kWebglMaxLights));
    for (int i = 0; i < out.lightCount; ++i) {
        float* light = u + kWebglLightsAt + kWebglLightFloats * i;
        light[0] = scene.lights[i].position.x;
        light[1] = scene.lights[i].position.y;
        light[2] = scene.lights[i].position.z;
        putColor(scene.lights[i].color, light + 3);
    }
    return out;
}
