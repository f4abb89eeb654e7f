#include "raster/plain/lighting_constants.h"

#include <algorithm>

LightingConstants lightingConstants(const Scene& scene) {
    LightingConstants shading;
    shading.inverseProjection = scene.projectionTransform.inverse;
    shading.inverseView = scene.viewTransform.inverse;
    shading.eye = dehomogenized(scene.viewTransform.inverseTransform(Vec4{0.0f, 0.0f, 0.0f, 1.0f}));
    shading.lights = scene.lights;

    unsigned largestPower = 0;
    for (const SceneObject& object : scene.objects) {
        const Material& m = object.material;
        MaterialShading material;
        material.diffuse = m.diffuse;
        material.specular = m.specular;
        material.ambient = Color(scene.ambient.r * m.diffuse.r, scene.ambient.g * m.diffuse.g,
                                 scene.ambient.b * m.diffuse.b, 1.0f);
        material.shininess = m.shininess;
        shading.materials.push_back(material);
        largestPower = std::max(largestPower, shininessMagnitude(m.shininess));
    }
    for (; largestPower != 0u; largestPower >>= 1) ++shading.powerSteps;
    return shading;
}
