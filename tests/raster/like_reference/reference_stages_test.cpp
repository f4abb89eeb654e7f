// The reference's rules as stages chosen for a whole frame, on the default
// scene: the stages no rule changes are the textbook's, and an observer
// watching the fragments changes no bit under any rule.
#include "raster/like_reference/reference_stages.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <vector>

#include "raster/buffers/viewer_buffers.h"
#include "raster/like_reference/reference_rules.h"
#include "raster/like_reference/render_like_reference.h"
#include "raster/like_reference/render_smooth_fast.h"
#include "raster/plain/render_software_plain.h"
#include "raster/render_software.h"
#include "scene_rendering.h"

namespace {

struct Frame {
    View view;
    int width, height;
    bool twin = false;  // addTwinOfFirstObject
};

// The default frame of `f`, with the twin when it asks for one.
void prepareFrame(Scene& scene, const Frame& f) {
    prepareDefaultFrame(scene, f.view, f.width, f.height);
    if (f.twin) addTwinOfFirstObject(scene);
}

const Frame kFrames[] = {
    {View{}, 160, 120},                                   // the start-up view
    {View{-90.0f, -80.0f, 0.25f, 0.0f, 0.0f}, 160, 120},  // two patches overlap
    {View{-135.0f, -60.0f, 11.0f, 0.0f, 0.0f}, 97, 61},   // cut by every border
    {View{30.0f, 50.0f, -2.0f, 0.0f, 0.0f}, 61, 97},      // tilted back, from below
};

struct Digests {
    std::uint64_t color;
    std::uint64_t depth;
    bool operator==(const Digests& other) const {
        return color == other.color && depth == other.depth;
    }
};

Digests digests(const Frame& f) {
    return Digests{colorDigest(f.width, f.height), depthDigest(f.width, f.height)};
}

// Asks for the lighting terms of every fragment that passes its depth test,
// so that the span fill takes its recording path wherever it can.
class AskForTerms : public FragmentObserver {
  public:
    std::size_t fragments = 0;

    ShadingTerms* fragment(const Fragment& fragment) override {
        ++fragments;
        return fragment.passed ? &terms_ : nullptr;
    }

  private:
    ShadingTerms terms_;
};

}  // namespace

// With every switch off each stage of ReferenceStages falls back to the
// textbook's: edge set-up without snapping or centring, spans from truncated
// columns, lighting at the whole column and row. The frame is
// renderSoftwarePlain's, bit for bit.
TEST(ReferenceStages, WithoutARuleDrawTheTextbookPicture) {
    Scene scene;
    for (const Frame& f : kFrames) {
        SCOPED_TRACE(describe(f.view));
        prepareDefaultFrame(scene, f.view, f.width, f.height);
        renderSoftwarePlain(scene, viewerBuffers.pixels(), f.width, f.height);
        const Digests textbook = digests(f);

        prepareDefaultFrame(scene, f.view, f.width, f.height);
        ReferenceStages stages{ReferenceRules()};
        renderSoftwarePlain(scene, viewerBuffers.pixels(), f.width, f.height, nullptr, stages);
        EXPECT_TRUE(digests(f) == textbook);
    }
}

// For every step of the difference ladder (each rule on top of the ones
// before) and every rule alone, a frame drawn with an observer that asks for
// the lighting terms is the frame drawn without one, bit for bit.
TEST(ReferenceStages, AnObserverChangesNoBitUnderAnyRule) {
    Scene scene;
    for (const Frame& f : kFrames) {
        for (int i = 0; i < kReferenceRuleCount; ++i) {
            ReferenceRules alone;
            setReferenceRule(alone, i, true);
            for (const ReferenceRules& rules : {alone, firstReferenceRules(i + 1)}) {
                SCOPED_TRACE(describe(f.view) + ", rules " + referenceRulesText(rules));
                prepareDefaultFrame(scene, f.view, f.width, f.height);
                renderSoftwareLikeReference(scene, viewerBuffers.pixels(), f.width, f.height,
                                            rules);
                const Digests unwatched = digests(f);

                prepareDefaultFrame(scene, f.view, f.width, f.height);
                AskForTerms observer;
                renderSoftwareLikeReference(scene, viewerBuffers.pixels(), f.width, f.height, rules,
                                            &observer);
                EXPECT_TRUE(digests(f) == unwatched);
                EXPECT_GT(observer.fragments, 0u);
            }
        }
    }
}

// The pictures of the difference ladder's steps (the first k rules on), the
// last of them the reference model, pinned by their digests as drawn when
// the rules' arithmetic last changed on purpose. A change meant to take a
// rule's result another way (for speed) must keep every bit, so any digest
// that moves fails: only a change of what a rule does may give new ones, and
// says so.
TEST(ReferenceStages, TheLaddersPicturesKeepTheirBits) {
    // Per frame of kFrames, per step 1 to kReferenceRuleCount: colour, depth.
    // clang-format off
    static const Digests kDigests[][kReferenceRuleCount] = {
        {{0x990773fd32612a45u, 0x6bf76c159afc0a1bu}, {0xd4ea1e503d950158u, 0x6bf76c159afc0a1bu},
         {0x08c84a230dd4bcfeu, 0x6bf76c159afc0a1bu}, {0x873265f9a6e4a977u, 0x6bf76c159afc0a1bu},
         {0x873265f9a6e4a977u, 0x6bf76c159afc0a1bu}, {0x1690c22f722a8e47u, 0x6bf76c159afc0a1bu},
         {0x72502e29ee4e6d71u, 0x6bf76c159afc0a1bu}, {0xb09ced0b333a4df4u, 0xade7ef484cd091e7u},},
        {{0x99a9c171eb668e7cu, 0x07c0ce61c63f58bcu}, {0x342f19b3e98b652du, 0x07c0ce61c63f58bcu},
         {0x210fccf8d0affae5u, 0x07c0ce61c63f58bcu}, {0x745fb70a07722f4fu, 0x07c0ce61c63f58bcu},
         {0x745fb70a07722f4fu, 0x07c0ce61c63f58bcu}, {0xe1108793da755e98u, 0x07c0ce61c63f58bcu},
         {0x35f851db884f9347u, 0x07c0ce61c63f58bcu}, {0x1737d89b9c3e640eu, 0xc6ead1b52d2d837du},},
        {{0x164eccbb6f2b6674u, 0x57cd67dcf69fbdbdu}, {0xf8bde915366d1432u, 0x57cd67dcf69fbdbdu},
         {0x8a72120a8d264cbdu, 0x57cd67dcf69fbdbdu}, {0x8a72120a8d264cbdu, 0x57cd67dcf69fbdbdu},
         {0x8a72120a8d264cbdu, 0x57cd67dcf69fbdbdu}, {0x20b518bfc6eb136cu, 0x57cd67dcf69fbdbdu},
         {0x085e10be7d7c8dc2u, 0x57cd67dcf69fbdbdu}, {0x085e10be7d7c8dc2u, 0x50238fa09a9f46beu},},
        {{0x0c3e406b23746d0eu, 0xe19569ea1ffd942cu}, {0xc0ebbb896e31b9abu, 0xe19569ea1ffd942cu},
         {0xd3e467843a737804u, 0xe19569ea1ffd942cu}, {0xde7d7fb572df5ccfu, 0xe19569ea1ffd942cu},
         {0xde7d7fb572df5ccfu, 0xe19569ea1ffd942cu}, {0x445fb10b10cad50cu, 0xe19569ea1ffd942cu},
         {0x7d9aaf4dde118bceu, 0xe19569ea1ffd942cu}, {0x4387785a6be33265u, 0x124d18b410ee4104u},},
    };
    // clang-format on
    Scene scene;
    for (std::size_t k = 0; k < std::size(kFrames); ++k) {
        const Frame& f = kFrames[k];
        for (int step = 1; step <= kReferenceRuleCount; ++step) {
            const ReferenceRules rules = firstReferenceRules(step);
            SCOPED_TRACE(describe(f.view) + ", rules " + referenceRulesText(rules));
            prepareDefaultFrame(scene, f.view, f.width, f.height);
            renderSoftwareLikeReference(scene, viewerBuffers.pixels(), f.width, f.height, rules);
            const Digests drawn = digests(f);
            EXPECT_TRUE(drawn == kDigests[k][step - 1])
                << std::hex << "drawn {0x" << drawn.color << ", 0x" << drawn.depth << "}";
        }
    }
}

// Under the vertex rule the smooth fill draws the plain path's frame bit for
// bit, with the other rules on or off, in the frames above and where faces
// reach behind the eye, fill the frame or fall outside it, or tie in depth;
// without the rule it draws nothing and says so.
TEST(ReferenceStages, TheSmoothFillDrawsThePlainPathsFrame) {
    const Frame extremes[] = {
        {View{-135.0f, -60.0f, -30.0f, 0.0f, 0.0f}, 120, 90},  // the eye among the patches
        {View{0.0f, 0.0f, 9.5f, 0.0f, 0.0f}, 80, 60},          // one patch fills the frame
        {View{-720.5f, 1.0e6f, 60.0f, -5000.0f, 3000.0f}, 64, 48},
        {View{}, 1, 1},
        {View{-90.0f, -80.0f, 0.25f, 0.0f, 0.0f}, 160, 120, true},
    };
    const int vertex = 5;
    ASSERT_STREQ(kReferenceRuleNames[vertex], "vertex");
    std::vector<ReferenceRules> ruleSets;
    for (int count = vertex + 1; count <= kReferenceRuleCount; ++count)
        ruleSets.push_back(firstReferenceRules(count));
    for (int other = 0; other < kReferenceRuleCount; ++other) {
        ReferenceRules pair;
        setReferenceRule(pair, vertex, true);
        setReferenceRule(pair, other, true);
        ruleSets.push_back(pair);
    }
    std::vector<Frame> frames(std::begin(kFrames), std::end(kFrames));
    frames.insert(frames.end(), std::begin(extremes), std::end(extremes));
    Scene scene;
    for (const Frame& f : frames) {
        for (const ReferenceRules& rules : ruleSets) {
            SCOPED_TRACE(describe(f.view) + ", rules " + referenceRulesText(rules));
            prepareFrame(scene, f);
            renderSoftwareLikeReference(scene, viewerBuffers.pixels(), f.width, f.height, rules);
            const Digests plain = digests(f);

            prepareFrame(scene, f);
            EXPECT_TRUE(
                renderSmoothLikeReference(scene, viewerBuffers.pixels(), f.width, f.height, rules));
            EXPECT_TRUE(digests(f) == plain);
        }
        prepareFrame(scene, f);
        const Digests cleared = digests(f);
        EXPECT_FALSE(renderSmoothLikeReference(scene, viewerBuffers.pixels(), f.width, f.height,
                                               firstReferenceRules(vertex)));
        EXPECT_TRUE(digests(f) == cleared);
    }
}
