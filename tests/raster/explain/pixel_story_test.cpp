// The story of one pixel against the frame drawn without watching it and
// against the spans the plain path sets up on the pixel's row.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "bit_testing.h"
#include "examine/pixel_question.h"
#include "raster/buffers/window_bytes.h"
#include "raster/explain/pixel_story.h"
#include "raster/like_reference/render_like_reference.h"
#include "raster/plain/active_edges.h"
#include "raster/plain/span.h"
#include "raster/plain/vertex_stage.h"
#include "raster/render_software.h"
#include "raster_testing.h"
#include "scene_rendering.h"

namespace {

bool sameBuffers(const BufferCopy& a, const BufferCopy& b) {
    return a.colors.size() == b.colors.size() &&
           std::memcmp(a.colors.data(), b.colors.data(), a.colors.size() * sizeof(Color)) == 0 &&
           std::memcmp(a.depths.data(), b.depths.data(), a.depths.size() * sizeof(float)) == 0;
}

// The frame as drawn without an observer, through the view state: by the
// fast path when no rule is on, which shares no span or pixel code with the
// plain one.
BufferCopy drawnFrame(const PixelQuestion& q) {
    Scene scene;
    prepareDefaultFrame(scene, q.view, q.width, q.height);
    if (q.rules.any()) {
        renderSoftwareLikeReference(scene, viewerBuffers.pixels(), q.width, q.height, q.rules);
    } else {
        renderSoftware(scene, viewerBuffers.pixels(), q.width, q.height);
    }
    return copyBuffers(q.width, q.height);
}

// (object, face) of every span that covers the pixel, in draw order.
std::vector<std::pair<int, int>> spansAtPixel(const PixelQuestion& q) {
    Scene scene;
    prepareDefaultFrame(scene, q.view, q.width, q.height);
    VertexStage vertexStage;
    std::vector<ScanEdge> edges, active;
    std::vector<std::pair<int, int>> spans;
    for (std::size_t o = 0; o < scene.objects.size(); ++o) {
        for (std::size_t f = 0; f < scene.objects[o].faces.size(); ++f) {
            vertexStage.faceEdges(scene, scene.objects[o].faces[f], q.width, q.height, edges);
            forEachSpanPair(edges, q.height, active,
                            [&](const ScanEdge& left, const ScanEdge& right, int row) {
                                Span span;
                                if (row == q.y && setupSpan(left, right, q.width, span) &&
                                    span.startColumn <= q.x && q.x < span.endColumn) {
                                    spans.emplace_back(static_cast<int>(o), static_cast<int>(f));
                                }
                            });
        }
    }
    return spans;
}

// The colour rebuilt from the terms in float, in the order the lighting
// sums: sum = sum + contribution, then + ambient, each contribution checked
// against its parts: (specular part + diffuse part) x light colour.
std::array<float, 3> recombined(const ShadingTerms& terms) {
    std::array<float, 3> sum{};
    for (const LightTerms& light : terms.lights) {
        const float specular[3] = {light.specularPart.r, light.specularPart.g,
                                   light.specularPart.b};
        const float diffuse[3] = {light.diffusePart.r, light.diffusePart.g, light.diffusePart.b};
        const float colour[3] = {light.lightColor.r, light.lightColor.g, light.lightColor.b};
        const float adds[3] = {light.contribution.r, light.contribution.g, light.contribution.b};
        for (int c = 0; c < 3; ++c) {
            const float product = (specular[c] + diffuse[c]) * colour[c];
            EXPECT_EQ(floatBits(adds[c]), floatBits(product)) << c;
            sum[c] = sum[c] + adds[c];
        }
    }
    const float ambient[3] = {terms.ambient.r, terms.ambient.g, terms.ambient.b};
    for (int c = 0; c < 3; ++c) sum[c] = sum[c] + ambient[c];
    return sum;
}

PixelQuestion question(View view, int width, int height, int x, int y,
                       ReferenceRules rules = ReferenceRules()) {
    PixelQuestion q;
    q.view = view;
    q.width = width;
    q.height = height;
    q.rules = rules;
    q.x = x;
    q.y = y;
    return q;
}

ReferenceRules rulesFrom(const char* names) {
    ReferenceRules rules;
    parseReferenceRules(names, &rules, nullptr);
    return rules;
}

ReferenceRules allRules() {
    return rulesFrom("all");
}

const View kStartView{};
const View kEdgeOn{-90.0f, -80.0f, 0.25f, 0.0f, 0.0f};
const View kFolded{90.0f, -30.0f, 0.25f, 0.0f, 0.0f};

TEST(PixelStory, TellsHowTheStoredPixelCameAbout) {
    const struct {
        PixelQuestion q;
        const char* kind;
    } pixels[] = {
        {question(kStartView, 160, 120, 0, 0), "background"},
        {question(kStartView, 160, 120, 39, 83), "on the side two faces share"},
        {question(kStartView, 160, 120, 25, 65), "inside a patch"},
        {question(kStartView, 160, 120, 21, 65), "first covered pixel of its row"},
        {question(kStartView, 160, 120, 88, 65), "last covered pixel of its row"},
        {question(kEdgeOn, 160, 120, 56, 60), "two patches overlap"},
        {question(kEdgeOn, 160, 120, 123, 64), "two faces of one patch"},
        {question(kFolded, 160, 120, 80, 60), "a patch folded over itself"},
        {question(kStartView, 480, 480, 449, 259), "the default view's largest difference"},
        {question(kStartView, 160, 120, 25, 65, allRules()), "under the reference's rules"},
        {question(kEdgeOn, 160, 120, 56, 60, allRules()), "overlap under the reference's rules"},
        {question(kStartView, 480, 480, 449, 259,
                  rulesFrom("sampling,ambient,lights,viewer,specular")),
         "lit per pixel by the reference's equation"},
        {question(kEdgeOn, 160, 120, 56, 60, rulesFrom("sampling")),
         "overlap, the textbook lighting at pixel centres"},
    };
    int multiFragment = 0;
    for (const auto& p : pixels) {
        const PixelQuestion& q = p.q;
        SCOPED_TRACE(std::to_string(q.x) + ", " + std::to_string(q.y) + ": " + p.kind);
        const BufferCopy expected = drawnFrame(q);
        const std::optional<PixelStory> story = tellPixelStory(q, viewerBuffers);
        ASSERT_TRUE(story.has_value());
        EXPECT_TRUE(sameBuffers(copyBuffers(q.width, q.height), expected));  // left in the buffers

        EXPECT_EQ(story->x, q.x);
        EXPECT_EQ(story->y, q.y);
        EXPECT_EQ(story->width, q.width);
        EXPECT_EQ(story->height, q.height);
        EXPECT_EQ(story->objectNames, (std::vector<std::string>{"red", "blue", "green"}));
        const std::size_t i = pixelIndex(q.x, q.y, q.width);
        const Color& stored = expected.colors[i];
        EXPECT_EQ(floatBits(story->depth), floatBits(expected.depths[i]));
        EXPECT_EQ(story->covered(), expected.depths[i] < 1.0f);
        const float channels[3] = {stored.r, stored.g, stored.b};
        const float told[3] = {story->color.r, story->color.g, story->color.b};
        for (int c = 0; c < 3; ++c) {
            EXPECT_EQ(floatBits(told[c]), floatBits(channels[c])) << c;
            EXPECT_EQ(story->windowBytes[c], windowByte(channels[c])) << c;
        }
        EXPECT_EQ(floatBits(story->color.a), floatBits(stored.a));

        if (!q.rules.any()) {
            std::vector<std::pair<int, int>> faces;
            for (const StoryFragment& f : story->fragments) {
                faces.emplace_back(f.fragment.object, f.fragment.face);
            }
            EXPECT_EQ(faces, spansAtPixel(q));
        }
        multiFragment += story->fragments.size() > 1;

        // Replaying the fragments through a depth test of our own ends in
        // the stored depth; every passed one's terms rebuild its colour, and
        // the last one's colour is the stored one.
        float depth = 1.0f;
        std::size_t passed = 0, lastPassed = 0;
        for (std::size_t k = 0; k < story->fragments.size(); ++k) {
            const StoryFragment& f = story->fragments[k];
            EXPECT_EQ(f.fragment.column, q.x);
            EXPECT_EQ(f.fragment.row, q.y);
            EXPECT_EQ(floatBits(f.fragment.depthBefore), floatBits(depth)) << k;
            EXPECT_EQ(f.fragment.passed, f.fragment.depth < depth) << k;
            EXPECT_EQ(f.terms.has_value(), f.fragment.passed && !q.rules.vertex) << k;
            if (!f.fragment.passed) continue;
            ++passed;
            lastPassed = k;
            depth = f.fragment.depth;
            if (!f.terms) continue;
            const std::array<float, 3> rebuilt = recombined(*f.terms);
            const float lit[3] = {f.terms->color.r, f.terms->color.g, f.terms->color.b};
            for (int c = 0; c < 3; ++c) EXPECT_EQ(floatBits(rebuilt[c]), floatBits(lit[c])) << k;
        }
        EXPECT_EQ(floatBits(depth), floatBits(story->depth));
        for (std::size_t k = 0; k < story->fragments.size(); ++k) {
            const StoryFragment& f = story->fragments[k];
            EXPECT_EQ(f.replaced, f.fragment.passed && k != lastPassed) << k;
        }
        if (passed > 0 && !q.rules.vertex) {
            const ShadingTerms& last = *story->fragments[lastPassed].terms;
            const float lit[3] = {last.color.r, last.color.g, last.color.b};
            for (int c = 0; c < 3; ++c) EXPECT_EQ(floatBits(lit[c]), floatBits(channels[c])) << c;
        }
    }
    EXPECT_GE(multiFragment, 4);  // the table holds what it says it does
}

// A pixel outside the frame has no story, and nothing is drawn for it.
TEST(PixelStory, NoneForAPixelOutsideTheFrame) {
    const PixelQuestion inside = question(kStartView, 64, 48, 30, 20);
    const BufferCopy before = drawnFrame(inside);
    for (const auto& [x, y] : {std::pair{-1, 0}, {64, 0}, {0, -1}, {0, 48}, {-100000, 100000}}) {
        SCOPED_TRACE(std::to_string(x) + ", " + std::to_string(y));
        EXPECT_FALSE(tellPixelStory(question(kEdgeOn, 64, 48, x, y), viewerBuffers).has_value());
        EXPECT_TRUE(sameBuffers(copyBuffers(64, 48), before));
    }
}

}  // namespace

namespace {

const View kSteep{-105.0f, 150.0f, 0.25f, 0.0f, 0.0f};

// For a pixel no fragment reached: each nearest span is one the row walk of
// the test above sets up on that row, none covers the pixel, and the
// centre lies outside every outline where coverage is by centres; for a
// covered one, the stored face's vertex stage has the stored span's edges
// on the row, bit for bit.
TEST(PixelStory, SaysWhyAPixelIsNotCoveredAndShowsTheVertexStage) {
    const struct {
        PixelQuestion q;
        bool covered;
    } pixels[] = {
        {question(kSteep, 240, 240, 102, 169), false},
        {question(kStartView, 160, 120, 20, 65), false},
        {question(kStartView, 160, 120, 89, 65), false},
        {question(kSteep, 240, 240, 102, 169, rulesFrom("sampling,subpixel")), false},
        {question(kStartView, 160, 120, 25, 65), true},
        {question(kEdgeOn, 160, 120, 56, 60), true},
        {question(kStartView, 480, 480, 449, 259, allRules()), true},
    };
    for (const auto& p : pixels) {
        const PixelQuestion& q = p.q;
        SCOPED_TRACE(std::to_string(q.x) + ", " + std::to_string(q.y));
        const std::optional<PixelStory> story = tellPixelStory(q, viewerBuffers);
        ASSERT_TRUE(story.has_value());
        ASSERT_EQ(story->fragments.empty(), !p.covered);
        ASSERT_TRUE(story->vertexStage.has_value());
        if (!p.covered) {
            ASSERT_FALSE(story->nearestSpans.empty());
            ASSERT_TRUE(story->centreDistance.has_value());
            if (q.rules.sampling) {
                EXPECT_LE(*story->centreDistance, 0.0);
            }
            const std::vector<std::pair<int, int>> covering = spansAtPixel(q);
            EXPECT_TRUE(q.rules.any() || covering.empty());
            for (const RowSpan& s : story->nearestSpans) {
                EXPECT_FALSE(s.firstColumn <= q.x && q.x < s.endColumn);
                EXPECT_LE(s.left, s.right);
            }
            EXPECT_EQ(story->vertexStage->object, story->nearestSpans.front().object);
            EXPECT_EQ(story->vertexStage->face, story->nearestSpans.front().face);
            continue;
        }
        EXPECT_FALSE(story->centreDistance.has_value());
        EXPECT_TRUE(story->nearestSpans.empty());
        const Fragment* stored = nullptr;
        for (const StoryFragment& f : story->fragments) {
            if (f.fragment.passed) stored = &f.fragment;
        }
        ASSERT_NE(stored, nullptr);
        const FaceVertexStage& v = *story->vertexStage;
        EXPECT_EQ(v.object, stored->object);
        EXPECT_EQ(v.face, stored->face);
        EXPECT_GE(v.clipCorners.size(), 3u);
        EXPECT_EQ(v.clipCorners.size(), v.screenCorners.size());
        bool found = false;
        for (std::size_t e = 0; e + 1 < v.edgesOnRow.size(); e += 2) {
            found = found || (floatBits(v.edgesOnRow[e].x) == floatBits(stored->spanLeft) &&
                              floatBits(v.edgesOnRow[e + 1].x) == floatBits(stored->spanRight));
        }
        EXPECT_TRUE(found);
    }
}

}  // namespace
