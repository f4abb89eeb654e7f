// The reference model's side of a pixel against the frame that
// --like-reference all draws and against its own corners.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "bit_testing.h"
#include "examine/pixel_question.h"
#include "raster/buffers/window_bytes.h"
#include "raster/explain/reference_model.h"
#include "raster/like_reference/render_like_reference.h"
#include "raster_testing.h"
#include "scene_rendering.h"

namespace {

PixelQuestion question(View view, int width, int height, int x, int y) {
    PixelQuestion q;
    q.view = view;
    q.width = width;
    q.height = height;
    q.x = x;
    q.y = y;
    return q;
}

BufferCopy drawnUnderEveryRule(const PixelQuestion& q) {
    ReferenceRules rules;
    parseReferenceRules("all", &rules, nullptr);
    Scene scene;
    prepareDefaultFrame(scene, q.view, q.width, q.height);
    renderSoftwareLikeReference(scene, viewerBuffers.pixels(), q.width, q.height, rules);
    return copyBuffers(q.width, q.height);
}

const View kStartView{};
const View kEdgeOn{-90.0f, -80.0f, 0.25f, 0.0f, 0.0f};
const View kFolded{90.0f, -30.0f, 0.25f, 0.0f, 0.0f};
const View kSteep{-105.0f, 150.0f, 0.25f, 0.0f, 0.0f};

// The frame drawn under every rule holds the model's colour to the last bit:
// where the model says a face covers the pixel the weights, which sum to one,
// mix the corners' colours into it, and elsewhere it is the background; the
// centre's distance from the outline
// is positive exactly where the model covers the pixel (0 on the outline).
TEST(ReferenceModel, IsTheColourTheRulesDraw) {
    const PixelQuestion pixels[] = {
        question(kStartView, 480, 480, 449, 259), question(kStartView, 160, 120, 25, 65),
        question(kStartView, 160, 120, 39, 83),   question(kStartView, 160, 120, 21, 65),
        question(kStartView, 160, 120, 88, 65),   question(kStartView, 160, 120, 0, 0),
        question(kEdgeOn, 160, 120, 56, 60),      question(kEdgeOn, 160, 120, 123, 64),
        question(kFolded, 160, 120, 80, 60),      question(kSteep, 240, 240, 102, 169),
        question(kSteep, 240, 240, 120, 120),
    };
    int covered = 0, uncovered = 0;
    for (const PixelQuestion& q : pixels) {
        SCOPED_TRACE(std::to_string(q.x) + ", " + std::to_string(q.y) + " of " +
                     std::to_string(q.width) + " x " + std::to_string(q.height));
        const BufferCopy drawn = drawnUnderEveryRule(q);
        const std::optional<ReferenceModel> model = modelReferencePixel(q, viewerBuffers);
        ASSERT_TRUE(model.has_value());
        const std::size_t i = pixelIndex(q.x, q.y, q.width);
        EXPECT_EQ(model->covered, drawn.depths[i] < 1.0f);
        if (model->object < 0) continue;
        // Covered, the colour the rules store; not covered, the background
        // they leave there.
        const Color& stored = drawn.colors[i];
        EXPECT_EQ(floatBits(model->color.r), floatBits(stored.r));
        EXPECT_EQ(floatBits(model->color.g), floatBits(stored.g));
        EXPECT_EQ(floatBits(model->color.b), floatBits(stored.b));
        if (model->covered) {
            ++covered;
            EXPECT_GE(model->centreDistance, 0.0);
        } else {
            ++uncovered;
            EXPECT_LE(model->centreDistance, 0.0);
        }
        EXPECT_GE(model->snappedCorners.size(), 3u);
        for (const auto& corner : model->snappedCorners) {
            for (double v : corner) EXPECT_EQ(v * 256.0, std::nearbyint(v * 256.0)) << v;
        }
        double sum = 0.0, screenSum = 0.0;
        for (int k = 0; k < 3; ++k) {
            sum += model->weights[k];
            screenSum += model->screenWeights[k];
        }
        EXPECT_NEAR(sum, 1.0, 1e-12);
        EXPECT_NEAR(screenSum, 1.0, 1e-12);
        const Color* c[3] = {&model->corners[0].color, &model->corners[1].color,
                             &model->corners[2].color};
        const double w[3] = {model->weights[0], model->weights[1], model->weights[2]};
        const float r = static_cast<float>(w[0] * c[0]->r + w[1] * c[1]->r + w[2] * c[2]->r);
        const float g = static_cast<float>(w[0] * c[0]->g + w[1] * c[1]->g + w[2] * c[2]->g);
        const float b = static_cast<float>(w[0] * c[0]->b + w[1] * c[1]->b + w[2] * c[2]->b);
        if (model->covered) {
            EXPECT_EQ(floatBits(r), floatBits(model->color.r));
            EXPECT_EQ(floatBits(g), floatBits(model->color.g));
            EXPECT_EQ(floatBits(b), floatBits(model->color.b));
        }
        for (int k = 0; k < 3; ++k) {
            EXPECT_EQ(model->windowBytes[k], windowByte(k == 0   ? model->color.r
                                                        : k == 1 ? model->color.g
                                                                 : model->color.b));
            const ModelCorner& corner = model->corners[k];
            EXPECT_EQ(corner.index, model->triangle[k]);
            for (float channel : {corner.color.r, corner.color.g, corner.color.b}) {
                EXPECT_GE(channel, 0.0f);
                EXPECT_LE(channel, 1.0f);
            }
            // The corner lies in front of the eye, which looks down -z.
            EXPECT_LT(corner.eyePosition.z, 0.0f);
        }
    }
    EXPECT_GE(covered, 6);  // the table holds what it says it does
    EXPECT_GE(uncovered, 4);
}

TEST(ReferenceModel, NoneForAPixelOutsideTheFrame) {
    EXPECT_FALSE(
        modelReferencePixel(question(kStartView, 64, 48, 64, 0), viewerBuffers).has_value());
    EXPECT_FALSE(
        modelReferencePixel(question(kStartView, 64, 48, 0, -1), viewerBuffers).has_value());
}

}  // namespace
