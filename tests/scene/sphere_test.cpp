#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "scene/scene.h"
#include "scene/sphere.h"
#include "scene_testing.h"

namespace {

constexpr double kQuarter = 1.570795;

struct Expected {
    float x, y, z;
};

// Compares one corner, with "near 0" meaning below 2e-6 in magnitude.
void expectCorner(const Vertex& v, Expected e) {
    EXPECT_NEAR(v.position.x, e.x, 2e-6);
    EXPECT_NEAR(v.position.y, e.y, 2e-6);
    EXPECT_NEAR(v.position.z, e.z, 2e-6);
    EXPECT_EQ(v.position.w, 1.0f);
}

void expectFace(const Face& face, std::vector<Expected> corners) {
    ASSERT_EQ(face.vertices.size(), corners.size());
    for (size_t k = 0; k < corners.size(); ++k) {
        SCOPED_TRACE(k);
        expectCorner(face.vertices[k], corners[k]);
    }
}

Scene sphereScene(double radius, double subdivisions) {
    Scene s;
    addSphere(s, radius, subdivisions);
    return s;
}

TEST(Sphere, TwoSubdivisionsGiveFourFacesWithTheseCorners) {
    const Scene s = sphereScene(1, 2);
    ASSERT_EQ(s.objects.size(), 1u);
    const std::vector<Face>& f = s.objects[0].faces;
    ASSERT_EQ(f.size(), 4u);
    const float h = 0.7071068f;
    expectFace(f[0], {{0, 0, 1}, {0, 0, 1}, {0.5f, 0.5f, h}, {h, 0, h}});
    expectFace(f[1], {{h, 0, h}, {0.5f, 0.5f, h}, {h, h, 0}, {1, 0, 0}});
    expectFace(f[2], {{0, 0, 1}, {0, 0, 1}, {0, h, h}, {0.5f, 0.5f, h}});
    expectFace(f[3], {{0.5f, 0.5f, h}, {0, h, h}, {0, 1, 0}, {h, h, 0}});
    // The pole is exact.
    expectSameVec4(f[0].vertices[0].position, 0, 0, 1, 1);
    expectSameVec4(f[2].vertices[1].position, 0, 0, 1, 1);
}

TEST(Sphere, OneSubdivisionIsOneFace) {
    for (double r : {1.0, 0.5, 3.0}) {
        const Scene s = sphereScene(r, 1);
        ASSERT_EQ(s.objects[0].faces.size(), 1u);
        const float rf = static_cast<float>(r);
        const std::vector<Vertex>& v = s.objects[0].faces[0].vertices;
        ASSERT_EQ(v.size(), 4u);
        expectSameVec4(v[0].position, 0, 0, rf, 1);
        expectSameVec4(v[1].position, 0, 0, rf, 1);
        EXPECT_NEAR(v[2].position.x, 0, 2e-6 * r);
        EXPECT_NEAR(v[2].position.y, r, 1e-6 * r);
        EXPECT_NEAR(v[2].position.z, 0, 2e-6 * r);
        EXPECT_NEAR(v[3].position.x, r, 1e-6 * r);
        EXPECT_EQ(v[3].position.y, 0.0f);
        EXPECT_NEAR(v[3].position.z, 0, 2e-6 * r);
    }
}

TEST(Sphere, FractionalSubdivisionsRoundTheCountUpAndOvershoot) {
    const Scene s = sphereScene(1, 2.5);
    const std::vector<Face>& f = s.objects[0].faces;
    ASSERT_EQ(f.size(), 9u);
    // The last strip and step reach 1.570795 * 3 / 2.5, past a right angle:
    // the last strip's far edge has x < 0, the last step's corners z < 0.
    EXPECT_LT(f[8].vertices[2].position.x, -0.1f);
    EXPECT_LT(f[8].vertices[2].position.z, -0.1f);
    EXPECT_LT(f[2].vertices[3].position.z, -0.1f);
    const float a = static_cast<float>(kQuarter * 3 * (1.0 / 2.5));
    EXPECT_NEAR(f[2].vertices[3].position.z, std::cos(a), 1e-6);
    for (const Face& face : f) EXPECT_EQ(face.vertices.size(), 4u);
}

TEST(Sphere, NoPositiveSubdivisionCountGivesOneEmptyObject) {
    // An infinite count would never finish; it is refused like the others.
    for (double n :
         {0.0, -0.0, -1.0, -12.0, std::numeric_limits<double>::quiet_NaN(),
          -std::numeric_limits<double>::infinity(), std::numeric_limits<double>::infinity()}) {
        SCOPED_TRACE(n);
        Scene s;
        s.currentMaterial.shininess = 9;
        s.setNormal(Vec3{0, 1, 0});
        addSphere(s, 0.5, n);
        ASSERT_EQ(s.objects.size(), 1u);
        EXPECT_TRUE(s.objects[0].faces.empty());
        EXPECT_EQ(s.objects[0].material.shininess, 9);
        expectSameVec3(s.currentNormal, 0, 1, 0);
    }
}

TEST(Sphere, TwelveSubdivisionsCoverTheOctant) {
    const Scene s = sphereScene(0.5, 12);
    const std::vector<Face>& f = s.objects[0].faces;
    ASSERT_EQ(f.size(), 144u);
    size_t vertices = 0;
    for (const Face& face : f) {
        ASSERT_EQ(face.vertices.size(), 4u);
        vertices += face.vertices.size();
        for (const Vertex& v : face.vertices) {
            EXPECT_GE(v.position.x, 0.0f);
            EXPECT_GE(v.position.y, 0.0f);
            EXPECT_GT(v.position.z, 0.0f);
            EXPECT_EQ(v.position.w, 1.0f);
        }
    }
    EXPECT_EQ(vertices, 576u);

    // Angle step 7.5 degrees: the third corner of face 0 is S(step, step).
    const Vec3 n = f[0].vertices[2].normal;
    EXPECT_NEAR(std::acos(n.z), 0.1308996, 1e-6);
    EXPECT_NEAR(std::atan2(n.y, n.x), 0.1308996, 1e-6);

    // The far edges stop just short of the planes x = 0 and z = 0.
    const Vertex& lastStrip = f[11 * 12 + 11].vertices[1];  // S(a1, b0), a1 ~ 90 degrees
    EXPECT_GT(lastStrip.position.x, 0.0f);
    EXPECT_LT(lastStrip.position.x, 6.4e-7f);
    const Vertex& equator = f[11].vertices[3];  // S(a0, b1), b1 ~ 90 degrees
    EXPECT_GT(equator.position.z, 6.2e-7f);
    EXPECT_LT(equator.position.z, 6.4e-7f);
}

TEST(Sphere, FacesRunStripByStripFromThePole) {
    const Scene s = sphereScene(1, 12);
    const double step = kQuarter / 12;
    for (int i = 0; i < 12; ++i) {
        for (int j = 0; j < 12; ++j) {
            const Face& face = s.objects[0].faces[i * 12 + j];
            // Corner order (a0,b0), (a1,b0), (a1,b1), (a0,b1).
            const int da[4] = {0, 1, 1, 0}, db[4] = {0, 0, 1, 1};
            for (int k = 0; k < 4; ++k) {
                const double a = (i + da[k]) * step, b = (j + db[k]) * step;
                const Vec4& p = face.vertices[k].position;
                EXPECT_NEAR(p.x, std::sin(b) * std::cos(a), 2e-6);
                EXPECT_NEAR(p.y, std::sin(b) * std::sin(a), 2e-6);
                EXPECT_NEAR(p.z, std::cos(b), 2e-6);
            }
            EXPECT_EQ(face.vertices[0].prev, 3);
            EXPECT_EQ(face.vertices[1].prev, 0);
            EXPECT_EQ(face.vertices[2].prev, 1);
            EXPECT_EQ(face.vertices[3].prev, 2);
        }
        // Each strip starts at the pole with its first corner given twice.
        const Face& first = s.objects[0].faces[i * 12];
        expectSameVec4(first.vertices[0].position, 0, 0, 1, 1);
        expectSameVec4(first.vertices[1].position, 0, 0, 1, 1);
    }
}

TEST(Sphere, EveryCornerMatchesTheFormulasStepByStep) {
    // 0.1 is not a float: each position component is d times the double
    // radius, rounded once.
    for (double r : {0.1, 0.5, 2.0 / 3.0}) {
        const Scene s = sphereScene(r, 5);
        for (int i = 0; i < 5; ++i) {
            for (int j = 0; j < 5; ++j) {
                for (int c = 0; c < 4; ++c) {
                    const Vertex& v = s.objects[0].faces[i * 5 + j].vertices[c];
                    const RecomputedCorner e = recomputeCorner(r, 5, i, j, c);
                    SCOPED_TRACE(::testing::Message() << r << " " << i << " " << j << " " << c);
                    expectSameVec4(v.position, e.position.x, e.position.y, e.position.z, 1);
                    expectSameVec3(v.normal, e.normal.x, e.normal.y, e.normal.z);
                }
            }
        }
    }
}

TEST(Sphere, CornersRunClockwiseSeenFromOutside) {
    const Scene s = sphereScene(0.5, 12);
    for (const Face& face : s.objects[0].faces) {
        // Newell's area vector of the outline against the outward direction.
        double nx = 0, ny = 0, nz = 0, cx = 0, cy = 0, cz = 0;
        for (size_t k = 0; k < 4; ++k) {
            const Vec4& p = face.vertices[k].position;
            const Vec4& q = face.vertices[(k + 1) % 4].position;
            nx += (static_cast<double>(p.y) - q.y) * (static_cast<double>(p.z) + q.z);
            ny += (static_cast<double>(p.z) - q.z) * (static_cast<double>(p.x) + q.x);
            nz += (static_cast<double>(p.x) - q.x) * (static_cast<double>(p.y) + q.y);
            cx += p.x;
            cy += p.y;
            cz += p.z;
        }
        EXPECT_LT(nx * cx + ny * cy + nz * cz, 0.0);
    }
}

TEST(Sphere, NormalsAreUnitAndPointAlongThePosition) {
    for (double r : {0.5, 1.0, 3.0}) {
        const Scene s = sphereScene(r, 12);
        for (const Face& face : s.objects[0].faces) {
            for (const Vertex& v : face.vertices) {
                const Vec3& n = v.normal;
                EXPECT_NEAR(
                    std::sqrt(static_cast<double>(n.x) * n.x + static_cast<double>(n.y) * n.y +
                              static_cast<double>(n.z) * n.z),
                    1.0, 2e-7);
                EXPECT_NEAR(n.x, v.position.x / r, 2e-7);
                EXPECT_NEAR(n.y, v.position.y / r, 2e-7);
                EXPECT_NEAR(n.z, v.position.z / r, 2e-7);
            }
        }
    }
}

TEST(Sphere, TranslationMovesPositionsButNotNormals) {
    const Scene plain = sphereScene(0.5, 12);
    Scene moved;
    moved.modelTransform.matrix.translate(0.5f, -0.5f, 0.25f);
    addSphere(moved, 0.5, 12);
    const std::vector<Face>& a = plain.objects[0].faces;
    const std::vector<Face>& b = moved.objects[0].faces;
    ASSERT_EQ(a.size(), b.size());
    for (size_t f = 0; f < a.size(); ++f) {
        for (size_t k = 0; k < 4; ++k) {
            const Vertex& u = a[f].vertices[k];
            const Vertex& v = b[f].vertices[k];
            EXPECT_EQ(v.position.x, static_cast<float>(u.position.x + 0.5));
            EXPECT_EQ(v.position.y, static_cast<float>(u.position.y - 0.5));
            EXPECT_EQ(v.position.z, static_cast<float>(u.position.z + 0.25));
            EXPECT_EQ(v.position.w, 1.0f);
            expectSameVec3(v.normal, u.normal.x, u.normal.y, u.normal.z);
        }
    }
}

TEST(Sphere, SideEffectsOnTheScene) {
    Scene s;
    s.beginObject();
    s.beginFace();
    s.addVertex(Vec4{7, 7, 7, 1});
    s.currentMaterial.diffuse = Color(0.2f, 0.3f, 0.4f, 1);
    s.currentMaterial.shininess = 44;
    s.modelTransform.matrix.rotateZ(20);
    s.modelTransform.pushMatrix();
    const Scene before = s;

    addSphere(s, 0.5, 3);
    ASSERT_EQ(s.objects.size(), 2u);
    // The earlier object is untouched, the new one is last and took the
    // current material.
    ASSERT_EQ(s.objects[0].faces.size(), 1u);
    EXPECT_EQ(s.objects[0].faces[0].vertices.size(), 1u);
    EXPECT_EQ(s.objects[1].faces.size(), 9u);
    EXPECT_EQ(s.objects[1].material.shininess, 44);
    expectSameColor(s.objects[1].material.diffuse, 0.2f, 0.3f, 0.4f, 1);
    // Current normal is the last vertex's normal; the rest is as before.
    const Vec3 last = s.objects[1].faces.back().vertices.back().normal;
    expectSameVec3(s.currentNormal, last.x, last.y, last.z);
    EXPECT_EQ(s.faceStart, 0);
    EXPECT_EQ(s.currentMaterial.shininess, 44);
    EXPECT_TRUE(sameStackBits(s.modelTransform, before.modelTransform));
    EXPECT_TRUE(s.lights.empty());
}

TEST(Sphere, NegativeRadiusPutsPositionsThroughTheCentre) {
    const Scene s = sphereScene(-1, 2);
    for (const Face& face : s.objects[0].faces) {
        for (const Vertex& v : face.vertices) {
            EXPECT_NEAR(v.position.x, -v.normal.x, 2e-7);
            EXPECT_NEAR(v.position.y, -v.normal.y, 2e-7);
            EXPECT_NEAR(v.position.z, -v.normal.z, 2e-7);
            EXPECT_GE(v.normal.z, 0.0f);
        }
    }
}

}  // namespace
