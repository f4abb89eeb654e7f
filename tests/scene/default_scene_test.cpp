#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>

#include "bit_testing.h"
#include "scene/default_scene.h"
#include "scene/scene.h"
#include "scene_testing.h"

namespace {

const Matrix4 kIdentity;

TEST(DefaultScene, Counts) {
    Scene s;
    buildDefaultScene(s);
    EXPECT_EQ(s.lights.size(), 2u);
    ASSERT_EQ(s.objects.size(), 3u);
    for (const SceneObject& o : s.objects) {
        ASSERT_EQ(o.faces.size(), 144u);
        for (const Face& f : o.faces) EXPECT_EQ(f.vertices.size(), 4u);
    }
}

TEST(DefaultScene, AmbientAndLights) {
    Scene s;
    buildDefaultScene(s);
    expectSameColor(s.ambient, 0.4f, 0.4f, 0.4f, 1);
    ASSERT_EQ(s.lights.size(), 2u);
    expectSameVec3(s.lights[0].position, 100, 0, 30);
    expectSameColor(s.lights[0].color, 0.8f, 0.8f, 0.8f, 1);
    expectSameVec3(s.lights[1].position, 0, 100, 80);
    expectSameColor(s.lights[1].color, 0.5f, 0.5f, 0.5f, 1);
}

TEST(DefaultScene, Materials) {
    Scene s;
    buildDefaultScene(s);
    ASSERT_EQ(s.objects.size(), 3u);
    const Material& red = s.objects[0].material;
    expectSameColor(red.diffuse, 0.7f, 0, 0, 1);
    expectSameColor(red.specular, 0.8f, 0.8f, 0.8f, 1);
    EXPECT_EQ(red.shininess, 30);
    const Material& blue = s.objects[1].material;
    expectSameColor(blue.diffuse, 0, 0x1.26e92cp-5f, 0.9f, 1);
    expectSameColor(blue.specular, 1.5f, 1.5f, 1.5f, 1);  // unclamped
    EXPECT_EQ(blue.shininess, 120);
    const Material& green = s.objects[2].material;
    expectSameColor(green.diffuse, 0x1.cac00cp-7f, 0.7f, 0, 1);
    expectSameColor(green.specular, 0, 0, 0, 1);
    EXPECT_EQ(green.shininess, 0);
    // The current material is left at the last object's.
    EXPECT_EQ(s.currentMaterial.shininess, 0);
    expectSameColor(s.currentMaterial.diffuse, 0x1.cac00cp-7f, 0.7f, 0, 1);
}

TEST(DefaultScene, FirstVerticesSitAtThePolesOfTheTranslatedOctants) {
    Scene s;
    buildDefaultScene(s);
    ASSERT_EQ(s.objects.size(), 3u);
    const Vertex& v0 = s.objects[0].faces[0].vertices[0];
    expectSameVec4(v0.position, 0.5f, -0.5f, 0.5f, 1);
    expectSameVec3(v0.normal, 0, 0, 1);
    expectSameVec4(s.objects[1].faces[0].vertices[0].position, -0.5f, 0.5f, 0.5f, 1);
    expectSameVec4(s.objects[2].faces[0].vertices[0].position, -0.5f, -0.5f, 0.5f, 1);
    expectSameVec4(s.objects[2].faces[0].vertices[1].position, -0.5f, -0.5f, 0.5f, 1);
}

TEST(DefaultScene, ObjectsSpanTheirOctants) {
    Scene s;
    buildDefaultScene(s);
    const float cx[3] = {0.5f, -0.5f, -0.5f}, cy[3] = {-0.5f, 0.5f, -0.5f};
    for (int k = 0; k < 3; ++k) {
        for (const Face& f : s.objects[k].faces) {
            for (const Vertex& v : f.vertices) {
                EXPECT_GE(v.position.x, cx[k]);
                EXPECT_LE(v.position.x, cx[k] + 0.5f);
                EXPECT_GE(v.position.y, cy[k]);
                EXPECT_LE(v.position.y, cy[k] + 0.5f);
                EXPECT_GE(v.position.z, 0.0f);
                EXPECT_LE(v.position.z, 0.5f);
            }
        }
    }
}

TEST(DefaultScene, LeavesModelTransformAsItFoundIt) {
    Scene s;
    buildDefaultScene(s);
    EXPECT_TRUE(sameBits(s.modelTransform.matrix, kIdentity));
    EXPECT_TRUE(s.modelTransform.saved.empty());
    EXPECT_EQ(s.faceStart, 0);
    const Vertex& last = s.objects[2].faces.back().vertices.back();
    expectSameVec3(s.currentNormal, last.normal.x, last.normal.y, last.normal.z);

    // With a transform already in place, the whole scene moves by it and the
    // transform is restored, saved stack included.
    Scene t;
    t.modelTransform.matrix.translate(0, 0, 1);
    t.modelTransform.pushMatrix();
    const TransformStack before = t.modelTransform;
    buildDefaultScene(t);
    EXPECT_TRUE(sameStackBits(t.modelTransform, before));
    expectSameVec4(t.objects[0].faces[0].vertices[0].position, 0.5f, -0.5f, 1.5f, 1);
    expectSameVec3(t.lights[0].position, 100, 0, 30);
}

TEST(DefaultScene, SampledCornersMatchAnIndependentRecomputation) {
    Scene s;
    buildDefaultScene(s);
    const float tx[3] = {0.5f, -0.5f, -0.5f}, ty[3] = {-0.5f, 0.5f, -0.5f};
    const int samples[][4] = {{0, 0, 0, 2},  {0, 3, 7, 1}, {1, 5, 7, 2},  {1, 11, 11, 3},
                              {2, 11, 0, 2}, {2, 6, 6, 0}, {0, 11, 11, 2}};
    for (const auto& smp : samples) {
        const int object = smp[0], strip = smp[1], step = smp[2], corner = smp[3];
        SCOPED_TRACE(::testing::Message()
                     << object << " " << strip << " " << step << " " << corner);
        const Vertex& v = s.objects[object].faces[strip * 12 + step].vertices[corner];
        const RecomputedCorner c = recomputeCorner(0.5, 12, strip, step, corner);
        expectSameVec4(
            v.position, static_cast<float>(static_cast<double>(c.position.x) + tx[object]),
            static_cast<float>(static_cast<double>(c.position.y) + ty[object]), c.position.z, 1.0f);
        expectSameVec3(v.normal, c.normal.x, c.normal.y, c.normal.z);
    }
}

struct Digest : Fnv1a {
    void f(float v) { add(v); }
    void i(std::int32_t v) { add(v); }
    void color(const Color& c) {
        f(c.r);
        f(c.g);
        f(c.b);
        f(c.a);
    }
};

std::uint64_t digestOf(const Scene& s) {
    Digest d;
    d.color(s.ambient);
    d.i(static_cast<std::int32_t>(s.lights.size()));
    for (const Light& l : s.lights) {
        d.f(l.position.x);
        d.f(l.position.y);
        d.f(l.position.z);
        d.color(l.color);
    }
    d.i(static_cast<std::int32_t>(s.objects.size()));
    for (const SceneObject& o : s.objects) {
        d.color(o.material.diffuse);
        d.color(o.material.specular);
        d.i(o.material.shininess);
        d.i(static_cast<std::int32_t>(o.faces.size()));
        for (const Face& face : o.faces) {
            d.i(static_cast<std::int32_t>(face.vertices.size()));
            for (const Vertex& v : face.vertices) {
                d.f(v.position.x);
                d.f(v.position.y);
                d.f(v.position.z);
                d.f(v.position.w);
                d.f(v.normal.x);
                d.f(v.normal.y);
                d.f(v.normal.z);
                d.i(v.prev);
            }
        }
    }
    return d.value();
}

TEST(DefaultScene, GoldenDigestOfTheWholeScene) {
    // Any change to the arithmetic of the scene, down to one bit of one
    // vertex, changes this value.
    Scene s;
    buildDefaultScene(s);
    EXPECT_EQ(digestOf(s), 0x1a206b9228b890c8ull) << std::hex << digestOf(s);
}

TEST(DefaultScene, BuildingTwiceGivesTheSameSceneBitForBit) {
    Scene s;
    buildDefaultScene(s);
    const Scene first = s;
    s.currentMaterial.shininess = 99;
    s.setNormal(Vec3{1, 0, 0});
    buildDefaultScene(s);
    EXPECT_EQ(digestOf(s), digestOf(first));
    ASSERT_EQ(s.objects.size(), first.objects.size());
    for (size_t o = 0; o < s.objects.size(); ++o) {
        ASSERT_EQ(s.objects[o].faces.size(), first.objects[o].faces.size());
        for (size_t f = 0; f < s.objects[o].faces.size(); ++f) {
            const std::vector<Vertex>& a = s.objects[o].faces[f].vertices;
            const std::vector<Vertex>& b = first.objects[o].faces[f].vertices;
            ASSERT_EQ(a.size(), b.size());
            EXPECT_EQ(std::memcmp(a.data(), b.data(), a.size() * sizeof(Vertex)), 0);
        }
    }
    expectSameVec3(s.currentNormal, first.currentNormal.x, first.currentNormal.y,
                   first.currentNormal.z);
}

}  // namespace
