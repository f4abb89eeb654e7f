#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "scene/scene.h"
#include "scene_testing.h"

namespace {

const Matrix4 kIdentity;

void expectResetState(const Scene& s) {
    EXPECT_TRUE(s.lights.empty());
    EXPECT_TRUE(s.objects.empty());
    expectSameVec3(s.currentNormal, 0, 0, 1);
    expectSameColor(s.currentMaterial.diffuse, 1, 1, 1, 1);
    expectSameColor(s.currentMaterial.specular, 0, 0, 0, 1);
    EXPECT_EQ(s.currentMaterial.shininess, 0);
    EXPECT_EQ(s.faceStart, 0);
}

std::vector<int> prevs(const Face& face) {
    std::vector<int> r;
    for (const Vertex& v : face.vertices) r.push_back(v.prev);
    return r;
}

TEST(Scene, FreshSceneIsEmptyWithResetCurrentState) {
    const Scene s;
    expectResetState(s);
    expectSameColor(s.ambient, 0, 0, 0, 1);
    for (const TransformStack* t : {&s.modelTransform, &s.viewTransform, &s.projectionTransform}) {
        EXPECT_TRUE(sameBits(t->matrix, kIdentity));
        EXPECT_TRUE(sameBits(t->inverse, kIdentity));
        EXPECT_TRUE(t->saved.empty());
    }
}

TEST(Scene, DefaultRecords) {
    const Vertex v;
    expectSameVec4(v.position, 0, 0, 0, 1);
    expectSameVec3(v.normal, 0, 0, 0);
    EXPECT_EQ(v.texCoord[0], 0.0f);
    EXPECT_EQ(v.texCoord[1], 0.0f);
    const Light light;
    expectSameVec3(light.position, 0, 0, 0);
    expectSameColor(light.color, 0, 0, 0, 1);
    const SceneObject object;
    EXPECT_TRUE(object.faces.empty());
    expectSameColor(object.material.diffuse, 0, 0, 0, 1);
    expectSameColor(object.material.specular, 0, 0, 0, 1);
    EXPECT_TRUE(Face().vertices.empty());
}

TEST(Scene, ResetEmptiesTheListsAndKeepsAmbientAndTransforms) {
    Scene s;
    s.ambient = Color(0.4f, 0.3f, 0.2f, 0.9f);
    s.addLight(Vec3{1, 2, 3}, Color(1, 1, 1, 1));
    s.currentMaterial.shininess = 77;
    s.currentMaterial.diffuse = Color(0.1f, 0.2f, 0.3f, 0.4f);
    s.beginObject();
    s.beginFace();
    s.setNormal(Vec3{1, 0, 0});
    s.addVertex(Vec4{1, 1, 1, 1});
    s.modelTransform.matrix.translate(1, 2, 3);
    s.modelTransform.pushMatrix();
    s.viewTransform.matrix.rotateX(30);
    s.viewTransform.matrix.invert(s.viewTransform.inverse);
    s.projectionTransform.matrix.perspective(0.4f, 0.3f, 0.1f, 10);
    const Scene before = s;

    s.reset();
    expectResetState(s);
    expectSameColor(s.ambient, 0.4f, 0.3f, 0.2f, 0.9f);
    EXPECT_TRUE(sameStackBits(s.modelTransform, before.modelTransform));
    EXPECT_TRUE(sameStackBits(s.viewTransform, before.viewTransform));
    EXPECT_TRUE(sameStackBits(s.projectionTransform, before.projectionTransform));
}

TEST(Scene, AddLightStoresExactlyTheGivenValuesInOrderUntransformed) {
    Scene s;
    s.modelTransform.matrix.translate(5, -5, 2);
    s.modelTransform.matrix.rotateZ(45);
    s.addLight(Vec3{100, 0, 30}, Color(0.8f, 0.8f, 0.8f, 1));
    s.addLight(Vec3{-0.1f, 1e-30f, 80}, Color(2, -1, 0.5f, 0));
    ASSERT_EQ(s.lights.size(), 2u);
    expectSameVec3(s.lights[0].position, 100, 0, 30);
    expectSameColor(s.lights[0].color, 0.8f, 0.8f, 0.8f, 1);
    expectSameVec3(s.lights[1].position, -0.1f, 1e-30f, 80);
    expectSameColor(s.lights[1].color, 2, -1, 0.5f, 0);
}

TEST(Scene, PrevLinksCloseEachFaceOutlineBackwards) {
    Scene s;
    s.beginObject();
    s.beginFace();
    s.addVertex(Vec4{0, 0, 0, 1});
    EXPECT_EQ(prevs(s.objects[0].faces[0]), (std::vector<int>{0}));
    s.addVertex(Vec4{1, 0, 0, 1});
    EXPECT_EQ(prevs(s.objects[0].faces[0]), (std::vector<int>{1, 0}));
    s.addVertex(Vec4{1, 1, 0, 1});
    EXPECT_EQ(prevs(s.objects[0].faces[0]), (std::vector<int>{2, 0, 1}));
    s.addVertex(Vec4{0, 1, 0, 1});
    EXPECT_EQ(prevs(s.objects[0].faces[0]), (std::vector<int>{3, 0, 1, 2}));

    s.beginFace();
    s.addVertex(Vec4{0, 0, 1, 1});
    EXPECT_EQ(prevs(s.objects[0].faces[1]), (std::vector<int>{0}));
    s.addVertex(Vec4{0, 0, 2, 1});
    EXPECT_EQ(prevs(s.objects[0].faces[1]), (std::vector<int>{1, 0}));
    EXPECT_EQ(prevs(s.objects[0].faces[0]), (std::vector<int>{3, 0, 1, 2}));
    EXPECT_EQ(s.faceStart, 0);

    // A new object starts its faces afresh too.
    s.beginObject();
    s.beginFace();
    s.addVertex(Vec4{0, 0, 0, 1});
    s.addVertex(Vec4{0, 0, 0, 1});
    s.addVertex(Vec4{0, 0, 0, 1});
    EXPECT_EQ(prevs(s.objects[1].faces[0]), (std::vector<int>{2, 0, 1}));
    EXPECT_EQ(s.objects[0].faces.size(), 2u);
}

TEST(Scene, FollowingPrevVisitsEveryVertexOnce) {
    for (int n = 1; n <= 9; ++n) {
        Scene s;
        s.beginObject();
        s.beginFace();
        for (int k = 0; k < n; ++k) s.addVertex(Vec4{static_cast<float>(k), 0, 0, 1});
        const std::vector<Vertex>& vs = s.objects[0].faces[0].vertices;
        ASSERT_EQ(static_cast<int>(vs.size()), n);
        std::vector<int> seen(n, 0);
        int at = 0;
        for (int step = 0; step < n; ++step) {
            ASSERT_GE(vs[at].prev, 0);
            ASSERT_LT(vs[at].prev, n);
            seen[at] += 1;
            at = vs[at].prev;
        }
        EXPECT_EQ(at, 0) << n;
        for (int k = 0; k < n; ++k) EXPECT_EQ(seen[k], 1) << n << " " << k;
    }
}

TEST(Scene, VertexPositionGoesThroughModelTransformAndNormalDoesNot) {
    Scene s;
    s.modelTransform.matrix.translate(0.5f, -0.5f, 0);
    s.beginObject();
    s.beginFace();
    s.setNormal(Vec3{0, 0, 1});
    s.addVertex(Vec4{0, 0, 0.5f, 1});
    const Vertex& v = s.objects[0].faces[0].vertices[0];
    expectSameVec4(v.position, 0.5f, -0.5f, 0.5f, 1);
    expectSameVec3(v.normal, 0, 0, 1);

    // Rotated: the position turns, the normal stays as set; w is carried
    // through the matrix, so a w of 0 is not translated.
    s.modelTransform.matrix = Matrix4();
    s.modelTransform.matrix.translate(9, 9, 9);
    s.modelTransform.matrix.rotateZ(90);
    s.setNormal(Vec3{1, 0, 0});
    s.addVertex(Vec4{1, 0, 0, 0});
    const Vertex& r = s.objects[0].faces[0].vertices[1];
    EXPECT_NEAR(r.position.x, 0, 2e-6);
    EXPECT_NEAR(r.position.y, 1, 2e-6);
    EXPECT_EQ(r.position.z, 0);
    EXPECT_EQ(r.position.w, 0);
    expectSameVec3(r.normal, 1, 0, 0);
    EXPECT_EQ(r.position.x, s.modelTransform.transform(Vec4{1, 0, 0, 0}).x);
}

TEST(Scene, BeginObjectCopiesTheCurrentMaterial) {
    Scene s;
    s.currentMaterial.diffuse = Color(0.7f, 0, 0, 1);
    s.currentMaterial.specular = Color(0.8f, 0.8f, 0.8f, 1);
    s.currentMaterial.shininess = 30;
    s.beginObject();
    s.currentMaterial.shininess = 120;
    s.currentMaterial.diffuse.r = 0.1f;
    s.currentMaterial.specular = Color(1.5f, 1.5f, 1.5f, 1);
    ASSERT_EQ(s.objects.size(), 1u);
    EXPECT_EQ(s.objects[0].material.shininess, 30);
    expectSameColor(s.objects[0].material.diffuse, 0.7f, 0, 0, 1);
    expectSameColor(s.objects[0].material.specular, 0.8f, 0.8f, 0.8f, 1);
    EXPECT_TRUE(s.objects[0].faces.empty());

    s.beginObject();
    EXPECT_EQ(s.objects[1].material.shininess, 120);
    expectSameColor(s.objects[1].material.specular, 1.5f, 1.5f, 1.5f, 1);
    EXPECT_EQ(s.objects[0].material.shininess, 30);
}

TEST(Scene, VerticesGoToTheLastFaceOfTheLastObject) {
    Scene s;
    s.beginObject();
    s.beginFace();
    s.addVertex(Vec4{1, 0, 0, 1});
    s.beginFace();
    s.beginObject();
    s.beginFace();
    s.beginFace();
    s.addVertex(Vec4{2, 0, 0, 1});
    s.addVertex(Vec4{3, 0, 0, 1});
    ASSERT_EQ(s.objects.size(), 2u);
    ASSERT_EQ(s.objects[0].faces.size(), 2u);
    EXPECT_EQ(s.objects[0].faces[0].vertices.size(), 1u);
    EXPECT_TRUE(s.objects[0].faces[1].vertices.empty());
    ASSERT_EQ(s.objects[1].faces.size(), 2u);
    EXPECT_TRUE(s.objects[1].faces[0].vertices.empty());
    ASSERT_EQ(s.objects[1].faces[1].vertices.size(), 2u);
    EXPECT_EQ(s.objects[1].faces[1].vertices[1].position.x, 3.0f);
}

TEST(Scene, SetNormalScalesToUnitLengthInFloat) {
    Scene s;
    s.setNormal(Vec3{3, 0, 4});
    expectSameVec3(s.currentNormal, 0.6f, 0, 0.8f);

    // Squares, sum, square root and reciprocal all in float: (5, -3, 0)
    // normalised in double would end one ulp lower in both components.
    s.setNormal(Vec3{5, -3, 0});
    expectSameVec3(s.currentNormal, 0x1.b70952p-1f, -0x1.076bfep-1f, 0);
    // Sum of squares rounded in float before the square root.
    s.setNormal(Vec3{8.8f, -2.3f, 2.6f});
    expectSameVec3(s.currentNormal, 0x1.dc4886p-1f, -0x1.f1eebap-3f, 0x1.1970acp-2f);
    s.setNormal(Vec3{-8, 2, -2});
    expectSameVec3(s.currentNormal, -0x1.e2b7ep-1f, 0x1.e2b7ep-3f, -0x1.e2b7ep-3f);

    s.setNormal(Vec3{0, 0, -1});
    expectSameVec3(s.currentNormal, 0, 0, -1);
    s.setNormal(Vec3{1e-18f, 0, 0});  // tiny is not zero
    EXPECT_NEAR(s.currentNormal.x, 1.0f, 1e-6f);
    EXPECT_EQ(s.currentNormal.y, 0.0f);
    s.setNormal(Vec3{0.3f, 0.4f, 1.2f});
    const Vec3 n = s.currentNormal;
    EXPECT_NEAR(std::sqrt(n.x * n.x + n.y * n.y + n.z * n.z), 1.0f, 1e-6f);
}

TEST(Scene, SetNormalOfZeroVectorStoresZeroNotNaN) {
    Scene s;
    s.setNormal(Vec3{0, 0, 0});
    expectSameVec3(s.currentNormal, 0, 0, 0);
    s.setNormal(Vec3{-0.0f, 0, 0});
    EXPECT_FALSE(std::isnan(s.currentNormal.x));
    EXPECT_EQ(s.currentNormal.x, 0.0f);
}

TEST(Scene, SetNormalOfVeryLongOrVeryShortDirectionsIsStillUnit) {
    // Squares beyond the float range, or below its normal range, must not
    // turn a valid direction into a zero or inaccurate normal.
    Scene s;
    s.setNormal(Vec3{1e20f, 0, 0});
    expectSameVec3(s.currentNormal, 1, 0, 0);
    s.setNormal(Vec3{0, -3e38f, 0});
    expectSameVec3(s.currentNormal, 0, -1, 0);
    s.setNormal(Vec3{3e38f, 3e38f, 0});
    EXPECT_FLOAT_EQ(s.currentNormal.x, 0.70710677f);
    EXPECT_FLOAT_EQ(s.currentNormal.y, 0.70710677f);
    s.setNormal(Vec3{1e-20f, 0, 0});
    expectSameVec3(s.currentNormal, 1, 0, 0);
    s.setNormal(Vec3{0, 0, -1e-40f});
    expectSameVec3(s.currentNormal, 0, 0, -1);
    s.setNormal(Vec3{1e-25f, 0, -1e-25f});
    EXPECT_FLOAT_EQ(s.currentNormal.x, 0.70710677f);
    EXPECT_EQ(s.currentNormal.y, 0.0f);
    EXPECT_FLOAT_EQ(s.currentNormal.z, -0.70710677f);
}

TEST(Scene, NormalsFollowSetNormalNotAddVertex) {
    Scene s;
    s.beginObject();
    s.beginFace();
    s.setNormal(Vec3{0, 2, 0});
    s.addVertex(Vec4{0, 0, 0, 1});
    s.addVertex(Vec4{1, 0, 0, 1});
    s.setNormal(Vec3{0, 0, -3});
    s.addVertex(Vec4{1, 1, 0, 1});
    expectSameVec3(s.currentNormal, 0, 0, -1);  // addVertex left it alone
    const std::vector<Vertex>& vs = s.objects[0].faces[0].vertices;
    expectSameVec3(vs[0].normal, 0, 1, 0);
    expectSameVec3(vs[1].normal, 0, 1, 0);
    expectSameVec3(vs[2].normal, 0, 0, -1);
}

TEST(Scene, MissingObjectOrFaceIsCreatedRatherThanLosingTheVertex) {
    Scene s;
    s.currentMaterial.shininess = 5;
    s.addVertex(Vec4{1, 2, 3, 1});
    ASSERT_EQ(s.objects.size(), 1u);
    ASSERT_EQ(s.objects[0].faces.size(), 1u);
    ASSERT_EQ(s.objects[0].faces[0].vertices.size(), 1u);
    EXPECT_EQ(s.objects[0].faces[0].vertices[0].prev, 0);
    expectSameVec4(s.objects[0].faces[0].vertices[0].position, 1, 2, 3, 1);
    EXPECT_EQ(s.objects[0].material.shininess, 5);

    Scene t;
    t.beginFace();
    ASSERT_EQ(t.objects.size(), 1u);
    EXPECT_EQ(t.objects[0].faces.size(), 1u);

    Scene u;
    u.beginObject();
    u.addVertex(Vec4{0, 0, 0, 1});
    u.addVertex(Vec4{0, 0, 0, 1});
    ASSERT_EQ(u.objects.size(), 1u);
    ASSERT_EQ(u.objects[0].faces.size(), 1u);
    EXPECT_EQ(prevs(u.objects[0].faces[0]), (std::vector<int>{1, 0}));
}

}  // namespace
