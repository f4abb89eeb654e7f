// The reference's rules as stages chosen for a whole frame, on the default
// scene: the stages no rule changes are the textbook's, and an observer
// watching the fragments changes no bit under any rule.
#include "raster/like_reference/reference_stages.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>

#include "raster/buffers/viewer_buffers.h"
#include "raster/like_reference/reference_rules.h"
#include "raster/like_reference/render_like_reference.h"
#include "raster/plain/render_software_plain.h"
#include "raster/render_software.h"
#include "scene_rendering.h"

namespace {

struct Frame {
    View view;
    int width, height;
};

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
