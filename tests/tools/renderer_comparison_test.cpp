// The comparison report and the difference picture on a 3 x 2 frame whose
// every figure is worked out by hand.
#include <gtest/gtest.h>

#include "tools/comparison_panels.h"
#include "tools/renderer_comparison.h"

namespace {

struct PixelPair {
    RgbCanvas::Rgb software, reference;
    double softwareDepth, referenceDepth;  // window depth; 1.0 is not covered
};

// Pixels in reading order, top row first.
const PixelPair kPixels[6] = {
    {{10, 20, 30}, {10, 21, 33}, 0.5, 0.75},        // both: steps 0 1 3, depth 0.25
    {{100, 100, 100}, {99, 100, 101}, 0.25, 0.25},  // both: steps 1 0 1
    {{7, 7, 7}, {255, 255, 255}, 0.5, 1.0},         // software only
    {{255, 255, 255}, {7, 7, 7}, 1.0, 0.999999},    // reference only
    {{255, 255, 255}, {255, 255, 255}, 1.0, 1.0},   // neither
    {{0, 0, 0}, {255, 0, 2}, -0.125, 0.0},          // both: steps 255 0 2, depth 0.125
};

void makePictures(RendererPicture* software, RendererPicture* reference) {
    for (RendererPicture* picture : {software, reference}) {
        picture->width = 3;
        picture->height = 2;
    }
    for (const PixelPair& p : kPixels) {
        software->rgb.insert(software->rgb.end(), p.software.begin(), p.software.end());
        reference->rgb.insert(reference->rgb.end(), p.reference.begin(), p.reference.end());
        software->windowDepth.push_back(p.softwareDepth);
        reference->windowDepth.push_back(p.referenceDepth);
    }
}

TEST(RendererComparison, ReportCountsCoverageAndDifferencesOverPixelsBothCover) {
    RendererPicture software, reference;
    makePictures(&software, &reference);
    const ComparisonReport r = compareRenderers(software, reference);
    EXPECT_EQ(r.width, 3);
    EXPECT_EQ(r.height, 2);
    EXPECT_EQ(r.both, 3);
    EXPECT_EQ(r.softwareOnly, 1);
    EXPECT_EQ(r.referenceOnly, 1);
    EXPECT_DOUBLE_EQ(r.iou, 3.0 / 5.0);
    EXPECT_DOUBLE_EQ(r.meanStepDifference[0], 256.0 / 3.0);
    EXPECT_DOUBLE_EQ(r.meanStepDifference[1], 1.0 / 3.0);
    EXPECT_DOUBLE_EQ(r.meanStepDifference[2], 2.0);
    EXPECT_EQ(r.maxStepDifference, (std::array<int, 3>{255, 1, 3}));
    EXPECT_EQ(r.pixelsOverOneStep, 2);
    EXPECT_DOUBLE_EQ(r.maxDepthDifference, 0.25);

    EXPECT_EQ(reportJson(r),
              "{\"width\": 3, \"height\": 2, \"both\": 3, \"software_only\": 1, "
              "\"reference_only\": 1, \"iou\": 0.6, \"mean_step_difference\": [85.3333333, "
              "0.333333333, 2], \"max_step_difference\": [255, 1, 3], \"pixels_over_one_step\": "
              "2, \"max_depth_difference\": 0.25}\n");
}

TEST(RendererComparison, EmptyFramesAgreeCompletely) {
    RendererPicture blank;
    blank.width = 2;
    blank.height = 1;
    blank.rgb.assign(6, 255);
    blank.windowDepth.assign(2, 1.0);
    const ComparisonReport r = compareRenderers(blank, blank);
    EXPECT_EQ(r.both + r.softwareOnly + r.referenceOnly, 0);
    EXPECT_EQ(r.iou, 1.0);
    EXPECT_EQ(r.meanStepDifference, (std::array<double, 3>{0, 0, 0}));
}

TEST(RendererComparison, PanelsShowSoftwareReferenceAndDifferenceMap) {
    RendererPicture software, reference;
    makePictures(&software, &reference);
    const RgbCanvas canvas = composeComparisonPanels(software, reference);
    ASSERT_EQ(canvas.width, 9 + 2 * kPanelGap);
    ASSERT_EQ(canvas.height, 2);
    const RgbCanvas::Rgb expectedMap[6] = {heatColour(3),  heatColour(1),  kSoftwareOnly,
                                           kReferenceOnly, kNeitherCovers, heatColour(255)};
    for (int i = 0; i < 6; ++i) {
        const int x = i % 3, row = i / 3;
        const auto at = [&](int panel) {
            const std::uint8_t* p =
                &canvas.rgb[(row * canvas.width + panel * (3 + kPanelGap) + x) * 3];
            return RgbCanvas::Rgb{p[0], p[1], p[2]};
        };
        EXPECT_EQ(at(0), kPixels[i].software) << "pixel " << i;
        EXPECT_EQ(at(1), kPixels[i].reference) << "pixel " << i;
        EXPECT_EQ(at(2), expectedMap[i]) << "pixel " << i;
    }
    const std::uint8_t* gap = &canvas.rgb[(canvas.width + 3) * 3];
    EXPECT_EQ((RgbCanvas::Rgb{gap[0], gap[1], gap[2]}), kGapColour);
}

TEST(RendererComparison, HeatScaleRisesFromBlackAndStaysClearOfTheCoverageColours) {
    int previousSum = -1;
    for (int steps = 0; steps <= 255; ++steps) {
        const RgbCanvas::Rgb c = heatColour(steps);
        const int sum = c[0] + c[1] + c[2];
        EXPECT_GT(sum, previousSum) << steps;
        previousSum = sum;
        EXPECT_NE(c, kSoftwareOnly);
        EXPECT_NE(c, kReferenceOnly);
        EXPECT_NE(c, kNeitherCovers);
        EXPECT_GE(c[0], c[1]) << "heat colours are red to yellow, never green or blue";
    }
    EXPECT_EQ(heatColour(0), (RgbCanvas::Rgb{0, 0, 0}));
}

}  // namespace
