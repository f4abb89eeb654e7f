#pragma once

#include <vector>

#include "math/transform_stack.h"
#include "math/vec.h"
#include "scene/color.h"

struct Vertex {
    Vec4 position{0.0f, 0.0f, 0.0f, 1.0f};  // world coordinates
    Vec3 normal;                            // as set, never transformed
    float texCoord[2] = {0.0f, 0.0f};
    int prev = 0;  // index of the previous vertex on the face's closed outline
};

struct Face {
    std::vector<Vertex> vertices;
};

struct Material {
    Color diffuse;
    Color specular;
    int shininess = 0;
};

struct SceneObject {
    std::vector<Face> faces;
    Material material;
};

struct Light {
    Vec3 position;
    Color color;
};

// The whole drawable world, built through an immediate-mode style protocol:
// beginObject, beginFace, setNormal, addVertex.
struct Scene {
    Color ambient;
    std::vector<Light> lights;
    std::vector<SceneObject> objects;
    TransformStack modelTransform;
    TransformStack viewTransform;
    TransformStack projectionTransform;
    Vec3 currentNormal;
    Material currentMaterial;
    int faceStart = 0;

    Scene() { reset(); }

    // Empties lights and objects and resets the current normal and material;
    // ambient and the transforms stay.
    void reset();
    void addLight(Vec3 position, Color color);
    void beginObject();
    // Without a current object one is begun first, so the face has a home.
    void beginFace();
    // Stores the direction scaled to unit length, computed in float. When the
    // sum of squares leaves the normal float range (very long or very short
    // directions) the length is taken in double instead. A zero vector is
    // stored as (0, 0, 0) rather than as the NaNs the division would give.
    void setNormal(Vec3 direction);
    // Appends to the last face of the last object, creating the object or
    // face first if there is none, so a vertex is never lost or misplaced.
    void addVertex(Vec4 position);
};
