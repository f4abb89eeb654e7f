// The page's stories, told after a draw and for another pixel of the same
// frame, against the stories the explain tool tells from the whole frame;
// telling them leaves the pictures as drawn.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "examine/pixel_question.h"
#include "examine/story_json.h"
#include "web/page_frame.h"

namespace {

std::string toldText(const std::optional<PixelStory>& story,
                     const std::optional<ReferenceModel>& model) {
    if (!story || !model) return "none";
    return pixelStoryJsonMembers(*story) + referenceModelJson(*model, nullptr);
}

std::string wholeFrameText(const PixelQuestion& q) {
    FrameBuffers buffers;
    const std::optional<PixelStory> story = tellPixelStory(q, buffers);
    return toldText(story, story ? modelReferencePixel(q, buffers) : std::nullopt);
}

bool sameFloats(const std::vector<float>& a, const std::vector<float>& b) {
    return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(float)) == 0;
}

TEST(PageFrame, StoriesAreTheWholeFramesAndLeaveThePicturesAsDrawn) {
    PageView turned;
    turned.view.angleZ = -75.0f;
    turned.view.angleX = -30.0f;
    turned.width = 200;
    turned.height = 150;
    PageView underRules = turned;
    underRules.rules = firstReferenceRules(5);
    const struct {
        PageView view;
        PagePixel drawn, told;
    } cases[] = {
        {PageView(), {240, 240}, {449, 259}},
        {turned, {100, 75}, {0, 0}},
        {underRules, {60, 80}, {100, 75}},
    };
    for (const auto& c : cases) {
        PageFrame untold;
        ASSERT_TRUE(untold.draw(c.view));
        EXPECT_FALSE(untold.story().has_value());

        PageFrame frame;
        ASSERT_TRUE(frame.draw(c.view, c.drawn));
        EXPECT_EQ(toldText(frame.story(), frame.referenceModel()),
                  wholeFrameText(frame.question(c.drawn)));
        ASSERT_TRUE(frame.tellStories(c.told));
        EXPECT_EQ(toldText(frame.story(), frame.referenceModel()),
                  wholeFrameText(frame.question(c.told)));
        // The floats are first taken from the buffers here, after the stories.
        EXPECT_TRUE(sameFloats(frame.softwareColor(), untold.softwareColor()));
        EXPECT_TRUE(sameFloats(frame.softwareDepth(), untold.softwareDepth()));
        EXPECT_TRUE(sameFloats(frame.modelColor(), untold.modelColor()));
        EXPECT_TRUE(sameFloats(frame.modelDepth(), untold.modelDepth()));

        ASSERT_TRUE(frame.tellStories(PagePixel{}));  // a pixel outside: no story
        EXPECT_FALSE(frame.story().has_value());
        EXPECT_FALSE(frame.referenceModel().has_value());
    }
}

}  // namespace
