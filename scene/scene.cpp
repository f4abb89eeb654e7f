#include "scene/scene.h"

#include <cmath>

Scene scene;

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
    const float length = std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z);
    if (length == 0.0f) {
        currentNormal = Vec3{0.0f, 0.0f, 0.0f};
        return;
    }
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
