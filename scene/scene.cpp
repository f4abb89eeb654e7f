#include "scene/scene.h"

#include <cmath>
#include <limits>

void Scene::reset() {
    objects.resize(0);
    lights.resize(0);
    currentNormal = Vec3{0.0f, 0.0f, 1.0f};
    currentMaterial.diffuse = Color(1.0f, 1.0f, 1.0f, 1.0f);
    currentMaterial.specular = Color(0.0f, 0.0f, 0.0f, 1.0f);
    currentMaterial.shininess = 0;
    faceStart = 0;
}

void Scene::addLight(Vec3 position, Color color) {
    lights.push_back(Light{position, color});
}

void Scene::beginObject() {
    objects.emplace_back();
    SceneObject& object = objects.back();
    object.faces.clear();
    object.material.diffuse = currentMaterial.diffuse;
    object.material.specular = currentMaterial.specular;
    object.material.shininess = currentMaterial.shininess;
    faceStart = 0;
}

void Scene::beginFace() {
    if (objects.empty()) beginObject();
    objects.back().faces.emplace_back();
    faceStart = 0;
}

void Scene::setNormal(Vec3 d) {
    currentNormal = d;
    const float squares = d.x * d.x + d.y * d.y + d.z * d.z;
    if (squares < std::numeric_limits<float>::min() || std::isinf(squares)) {
        // The squares left the normal float range, so the float length would
        // be 0, inaccurate or infinite. Any float squared fits a double.
        const double x = d.x, y = d.y, z = d.z;
        const double length = std::sqrt(x * x + y * y + z * z);
        if (length == 0.0) {
            currentNormal = Vec3{0.0f, 0.0f, 0.0f};
            return;
        }
        currentNormal = Vec3{static_cast<float>(x / length), static_cast<float>(y / length),
                             static_cast<float>(z / length)};
        return;
    }
    const float length = std::sqrt(squares);
    const float k = 1.0f / length;
    currentNormal.x = currentNormal.x * k;
    currentNormal.y = currentNormal.y * k;
    currentNormal.z = currentNormal.z * k;
}

void Scene::addVertex(Vec4 p) {
    if (objects.empty() || objects.back().faces.empty()) beginFace();
    std::vector<Vertex>& vertices = objects.back().faces.back().vertices;
    const int n = static_cast<int>(vertices.size());
    vertices.emplace_back();
    Vertex& v = vertices.back();
    v.position = modelTransform.transform(p);
    v.normal = currentNormal;
    v.prev = n - 1;
    vertices[faceStart].prev = n;
}
