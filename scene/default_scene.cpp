#include "scene/default_scene.h"

#include "scene/sphere.h"

namespace {

struct SphereLayout {
    float diffuseHue, diffuseValue, specularValue;
    int shininess;
    float x, y;
};

constexpr SphereLayout kSpheres[] = {
    {0.0f, 0.7f, 0.8f, 30, 0.5f, -0.5f},
    {0.66f, 0.9f, 1.5f, 120, -0.5f, 0.5f},
    {0.33f, 0.7f, 0.0f, 0, -0.5f, -0.5f},
};

}  // namespace

void buildDefaultScene(Scene& scene) {
    scene.reset();
    scene.ambient = Color(0.4f, 0.4f, 0.4f, 1.0f);
    scene.addLight(Vec3{100.0f, 0.0f, 30.0f}, Color(0.8f, 0.8f, 0.8f, 1.0f));
    scene.addLight(Vec3{0.0f, 100.0f, 80.0f}, Color(0.5f, 0.5f, 0.5f, 1.0f));
    for (const SphereLayout& s : kSpheres) {
        scene.modelTransform.pushMatrix();
        const Color specular = Color::fromHSV(0.0f, 0.0f, s.specularValue, 1.0f);
        const Color diffuse = Color::fromHSV(s.diffuseHue, 1.0f, s.diffuseValue, 1.0f);
        scene.currentMaterial.diffuse = diffuse;
        scene.currentMaterial.specular = specular;
        scene.currentMaterial.shininess = s.shininess;
        scene.modelTransform.matrix.translate(s.x, s.y, 0.0f);
        addSphere(scene, 0.5, 12.0);
        scene.modelTransform.popMatrix();
    }
}
