// The comparison report and the difference picture on small frames whose
// every figure is worked out by hand.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <iterator>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "examine/renderer_comparison.h"
#include "tools/images/comparison_panels.h"

namespace {

// The report as the compare tool's JSON object holds it.
std::string reportJson(const ComparisonReport& r) {
    return "{" + reportJsonMembers(r) + "}\n";
}

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

// A width x height frame whose pixels, in reading order from the top row,
// repeat `pixels`.
void makePictures(int width, int height, const std::vector<PixelPair>& pixels,
                  RendererPicture* software, RendererPicture* reference) {
    for (RendererPicture* picture : {software, reference}) {
        picture->width = width;
        picture->height = height;
    }
    for (int i = 0; i < width * height; ++i) {
        const PixelPair& p = pixels[i % pixels.size()];
        software->rgb.insert(software->rgb.end(), p.software.begin(), p.software.end());
        reference->rgb.insert(reference->rgb.end(), p.reference.begin(), p.reference.end());
        software->windowDepth.push_back(p.softwareDepth);
        reference->windowDepth.push_back(p.referenceDepth);
    }
}

void makePictures(RendererPicture* software, RendererPicture* reference) {
    makePictures(3, 2, {std::begin(kPixels), std::end(kPixels)}, software, reference);
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
    EXPECT_DOUBLE_EQ(r.iou.value(), 3.0 / 5.0);
    EXPECT_DOUBLE_EQ(r.meanStepDifference[0], 256.0 / 3.0);
    EXPECT_DOUBLE_EQ(r.meanStepDifference[1], 1.0 / 3.0);
    EXPECT_DOUBLE_EQ(r.meanStepDifference[2], 2.0);
    EXPECT_EQ(r.maxStepDifference, (std::array<int, 3>{255, 1, 3}));
    EXPECT_EQ(r.pixelsOverOneStep, 2);
    EXPECT_DOUBLE_EQ(r.maxDepthDifference, 0.25);

    EXPECT_EQ(reportJson(r),
              "{\"width\": 3, \"height\": 2, \"both\": 3, \"software_only\": 1, "
              "\"reference_only\": 1, \"iou\": 0.6, \"mean_step_difference\": [85.3333333, "
              "0.333333333, 2], \"max_step_difference\": [255, 1, 3], "
              "\"max_step_difference_at\": [2, 0], \"pixels_over_one_step\": 2, "
              "\"max_depth_difference\": 0.25, \"tolerance\": 1, \"pixels_over_tolerance\": 2}\n");

    // The largest channel steps of the three pixels both cover are 3, 1 and
    // 255; the two pixels covered by one renderer differ whatever the
    // tolerance.
    for (const auto& [tolerance, over] : {std::pair{0, 3}, {1, 2}, {3, 1}, {255, 0}}) {
        const ComparisonReport t = compareRenderers(software, reference, tolerance);
        EXPECT_EQ(t.pixelsOverTolerance, over) << tolerance;
        EXPECT_EQ(t.differing(), 2 + over) << tolerance;
        EXPECT_EQ(t.covered(), 5);
    }
}

// The edges of the report: frames where nothing, or not both, is covered, and
// where the largest difference is (row 0 at the bottom; of equal ones, the
// first in buffer order).
TEST(RendererComparison, ReportSaysWhatItCannotMeasureAndWhereTheLargestDifferenceIs) {
    const PixelPair blank = {{255, 255, 255}, {255, 255, 255}, 1.0, 1.0};
    const PixelPair softwareOnly = {{9, 9, 9}, {255, 255, 255}, 0.5, 1.0};
    const PixelPair offByFive = {{10, 10, 10}, {10, 15, 10}, 0.5, 0.5};
    const PixelPair offByOne = {{10, 10, 10}, {11, 10, 10}, 0.5, 0.5};
    const struct {
        const char* what;
        int width, height;
        std::vector<PixelPair> pixels;  // top row first
        std::string json;               // the keys from "iou" on
        std::vector<std::string> textLines;
    } cases[] = {
        {"nothing covered",
         2,
         1,
         {blank},
         "\"iou\": null, \"mean_step_difference\": null, \"max_step_difference\": null, "
         "\"max_step_difference_at\": null, \"pixels_over_one_step\": 0, "
         "\"max_depth_difference\": null, \"tolerance\": 1, \"pixels_over_tolerance\": 0}\n",
         {"coverage intersection / union   none: no pixel is covered by either renderer\n",
          "where both cover                nothing to compare: no pixel is covered by both\n"}},
        {"covered by one renderer only",
         2,
         1,
         {softwareOnly, blank},
         "\"iou\": 0, \"mean_step_difference\": null, \"max_step_difference\": null, "
         "\"max_step_difference_at\": null, \"pixels_over_one_step\": 0, "
         "\"max_depth_difference\": null, \"tolerance\": 1, \"pixels_over_tolerance\": 0}\n",
         {"coverage intersection / union   0.000000\n",
          "where both cover                nothing to compare: no pixel is covered by both\n"}},
        {"two equal largest differences, top left and bottom right",
         2,
         2,
         {offByFive, offByOne, offByOne, offByFive},
         "\"iou\": 1, \"mean_step_difference\": [0.5, 2.5, 0], \"max_step_difference\": [1, 5, "
         "0], \"max_step_difference_at\": [1, 0], \"pixels_over_one_step\": 2, "
         "\"max_depth_difference\": 0, \"tolerance\": 1, \"pixels_over_tolerance\": 2}\n",
         {"  largest difference            1 5 0\n",
          "  largest at pixel (x y)        1 0 (row 0 at the bottom)\n"}},
    };
    for (const auto& c : cases) {
        RendererPicture software, reference;
        makePictures(c.width, c.height, c.pixels, &software, &reference);
        const ComparisonReport r = compareRenderers(software, reference);
        const std::string json = reportJson(r);
        EXPECT_EQ(json.substr(json.find("\"iou\"")), c.json) << c.what;
        const std::string text = reportText(r);
        for (const std::string& line : c.textLines) {
            EXPECT_NE(text.find(line), std::string::npos) << c.what << ":\n" << text;
        }
    }
}

// Two covered depths of -inf differ by NaN, which is the largest depth
// difference wherever it stands among the pixels.
TEST(RendererComparison, NanDepthDifferenceIsTheLargestInEitherOrder) {
    const double inf = std::numeric_limits<double>::infinity();
    const PixelPair unmeasurable = {{9, 9, 9}, {9, 9, 9}, -inf, -inf};
    const PixelPair offByAQuarter = {{9, 9, 9}, {9, 9, 9}, 0.25, 0.5};
    for (const auto& pixels : {std::vector<PixelPair>{unmeasurable, offByAQuarter},
                               std::vector<PixelPair>{offByAQuarter, unmeasurable}}) {
        RendererPicture software, reference;
        makePictures(2, 1, pixels, &software, &reference);
        EXPECT_TRUE(std::isnan(compareRenderers(software, reference).maxDepthDifference))
            << (pixels[0].softwareDepth == -inf ? "NaN first" : "NaN last");
    }
}

// The three panels are the pictures and the map exactly as they are; the
// names and the legend go in a strip below, never over a panel. Panels
// narrower than the legend keep it: each takes a column as wide as it.
TEST(RendererComparison, PanelsShowBothPicturesAndTheMapUncovered) {
    const RgbCanvas::Rgb expectedMap[6] = {heatColour(3),  heatColour(1),  kSoftwareOnly,
                                           kReferenceOnly, kNeitherCovers, heatColour(255)};
    const struct {
        int width, height;
        int column;  // the width each panel's column takes
    } sizes[] = {{3, 2, 74}, {73, 6, 74}, {74, 1, 74}, {160, 120, 160}};
    for (const auto& size : sizes) {
        RendererPicture software, reference;
        makePictures(size.width, size.height, {std::begin(kPixels), std::end(kPixels)}, &software,
                     &reference);
        const RgbCanvas canvas = composeComparisonPanels(software, reference);
        ASSERT_EQ(canvas.width, 3 * size.column + 2 * kPanelGap);
        ASSERT_GT(canvas.height, size.height) << size.width;
        const auto at = [&](int x, int row) {
            const std::uint8_t* p = &canvas.rgb[(row * canvas.width + x) * 3];
            return RgbCanvas::Rgb{p[0], p[1], p[2]};
        };
        long wrong = 0;
        for (int i = 0; i < size.width * size.height; ++i) {
            const int x = i % size.width, row = i / size.width;
            const int panel = size.column + kPanelGap;
            wrong += at(x, row) != kPixels[i % 6].software;
            wrong += at(panel + x, row) != kPixels[i % 6].reference;
            wrong += at(2 * panel + x, row) != expectedMap[i % 6];
        }
        EXPECT_EQ(wrong, 0) << size.width << " x " << size.height;
        EXPECT_EQ(at(size.width, 0), kGapColour);
        long swatchPixels = 0, inkUnderPictures = 0;  // the legend under the map, names under both
        for (int row = size.height; row < canvas.height; ++row) {
            for (int x = 0; x < canvas.width; ++x) {
                const bool underMap = x >= 2 * (size.column + kPanelGap);
                swatchPixels +=
                    underMap && (at(x, row) == kSoftwareOnly || at(x, row) == kReferenceOnly);
                inkUnderPictures += !underMap && at(x, row) == kInk;
            }
        }
        EXPECT_GT(swatchPixels, 0) << size.width;
        EXPECT_GT(inkUnderPictures, 0) << size.width;
    }
}

// The differing pixels of the hand-worked frame, listed worst first: those
// covered by one renderer before those both cover, these by their largest
// step, ties from the bottom row up and then left to right.
TEST(RendererComparison, ListsTheWorstDifferingPixelsFirst) {
    using CoveredBy = DifferingPixel::CoveredBy;
    struct Listed {
        int x, y;
        CoveredBy coveredBy;
        std::array<int, 3> steps;  // where both cover
    };
    // kPixels with row 0 at the bottom: (0, 1) steps 0 1 3, (2, 1) software
    // only, (0, 0) reference only, (2, 0) steps 255 0 2.
    const Listed referenceOnly = {0, 0, CoveredBy::ReferenceOnly, {}};
    const Listed softwareOnly = {2, 1, CoveredBy::SoftwareOnly, {}};
    const Listed offBy255 = {2, 0, CoveredBy::Both, {255, 0, 2}};
    const Listed offBy3 = {0, 1, CoveredBy::Both, {0, 1, 3}};
    // Two pixels off by five, two by one: the bottom row's first.
    const PixelPair offByFive = {{10, 10, 10}, {10, 15, 10}, 0.5, 0.5};
    const PixelPair offByOne = {{10, 10, 10}, {11, 10, 10}, 0.5, 0.5};
    const struct {
        const char* what;
        int width, height;
        std::vector<PixelPair> pixels;
        int tolerance, limit;
        std::vector<Listed> expected;
    } cases[] = {
        {"every one",
         3,
         2,
         {std::begin(kPixels), std::end(kPixels)},
         1,
         10,
         {referenceOnly, softwareOnly, offBy255, offBy3}},
        {"the worst two",
         3,
         2,
         {std::begin(kPixels), std::end(kPixels)},
         1,
         2,
         {referenceOnly, softwareOnly}},
        {"within a tolerance of 3",
         3,
         2,
         {std::begin(kPixels), std::end(kPixels)},
         3,
         10,
         {referenceOnly, softwareOnly, offBy255}},
        {"one", 3, 2, {std::begin(kPixels), std::end(kPixels)}, 255, 1, {referenceOnly}},
        {"ties by row, then column",
         2,
         2,
         {offByFive, offByOne, offByOne, offByFive},
         0,
         3,
         {{1, 0, CoveredBy::Both, {0, 5, 0}},
          {0, 1, CoveredBy::Both, {0, 5, 0}},
          {0, 0, CoveredBy::Both, {1, 0, 0}}}},
        {"none asked for", 3, 2, {std::begin(kPixels), std::end(kPixels)}, 1, 0, {}},
    };
    for (const auto& c : cases) {
        RendererPicture software, reference;
        makePictures(c.width, c.height, c.pixels, &software, &reference);
        const ComparisonReport r = compareRenderers(software, reference, c.tolerance, c.limit);
        ASSERT_EQ(r.differingPixels.size(), c.expected.size()) << c.what;
        for (std::size_t i = 0; i < c.expected.size(); ++i) {
            const DifferingPixel& p = r.differingPixels[i];
            const Listed& e = c.expected[i];
            EXPECT_EQ(p.x, e.x) << c.what << " " << i;
            EXPECT_EQ(p.y, e.y) << c.what << " " << i;
            EXPECT_EQ(p.coveredBy, e.coveredBy) << c.what << " " << i;
            if (e.coveredBy == CoveredBy::Both) {
                EXPECT_EQ(p.stepDifference, e.steps) << c.what << " " << i;
            }
        }
        const bool listed = reportJson(r).find("\"differing_pixels\"") != std::string::npos;
        EXPECT_EQ(listed, c.limit > 0) << c.what;
    }

    RendererPicture software, reference;
    makePictures(&software, &reference);
    const ComparisonReport r = compareRenderers(software, reference, 1, 3);
    const std::string json = reportJson(r);
    EXPECT_EQ(json.substr(json.find("\"differing_pixels\"")),
              "\"differing_pixels\": [{\"x\": 0, \"y\": 0, \"covered_by\": \"reference_only\", "
              "\"software_bytes\": null, \"reference_bytes\": [7, 7, 7], \"step_difference\": "
              "null}, {\"x\": 2, \"y\": 1, \"covered_by\": \"software_only\", \"software_bytes\": "
              "[7, 7, 7], \"reference_bytes\": null, \"step_difference\": null}, {\"x\": 2, \"y\": "
              "0, \"covered_by\": \"both\", \"software_bytes\": [0, 0, 0], \"reference_bytes\": "
              "[255, 0, 2], \"step_difference\": [255, 0, 2]}]}\n");
    const std::string text = reportText(r);
    EXPECT_NE(text.find("differing pixels, worst first   3 of 4 (row 0 at the bottom)\n"
                        "      x     y  covered by      steps r g b   software r g b   reference "
                        "r g b\n"
                        "      0     0  reference only  -             -                7 7 7\n"
                        "      2     1  software only   -             7 7 7            -\n"
                        "      2     0  both            255 0 2       0 0 0            255 0 2\n"),
              std::string::npos)
        << text;
}

// A differing pixel with no other within two pixels is ringed three pixels
// out, over pixels that do not differ; --amplify multiplies the steps that
// pick the heat colour.
TEST(RendererComparison, MapRingsLoneDifferingPixelsAndAmplifiesSteps) {
    constexpr int kSide = 15;
    const PixelPair same = {{50, 50, 50}, {50, 50, 50}, 0.5, 0.5};
    const PixelPair offByTen = {{50, 50, 50}, {50, 50, 60}, 0.5, 0.5};
    const PixelPair referenceOnly = {{255, 255, 255}, {9, 9, 9}, 1.0, 0.5};
    const PixelPair blank = {{255, 255, 255}, {255, 255, 255}, 1.0, 1.0};
    struct Spot {
        int x, row;  // top row first
        PixelPair pixel;
    };
    const struct {
        const char* what;
        PixelPair background;
        std::vector<Spot> spots;
        int ringPixels;
    } cases[] = {
        {"one in the middle", same, {{7, 7, offByTen}}, 24},
        {"one on empty ground", blank, {{7, 7, referenceOnly}}, 24},
        {"one in a corner", same, {{0, 0, offByTen}}, 7},
        {"two pixels apart", same, {{5, 7, offByTen}, {7, 7, referenceOnly}}, 0},
        {"a block of four",
         blank,
         {{7, 7, referenceOnly},
          {8, 7, referenceOnly},
          {7, 8, referenceOnly},
          {8, 8, referenceOnly}},
         0},
    };
    for (const auto& c : cases) {
        std::vector<PixelPair> pixels(kSide * kSide, c.background);
        for (const Spot& spot : c.spots) pixels[spot.row * kSide + spot.x] = spot.pixel;
        RendererPicture software, reference;
        makePictures(kSide, kSide, pixels, &software, &reference);
        const std::vector<std::uint8_t> map = differenceMap(software, reference);
        const auto at = [&](int x, int row) {
            const std::uint8_t* p = &map[(row * kSide + x) * 3];
            return RgbCanvas::Rgb{p[0], p[1], p[2]};
        };
        int rings = 0;
        for (int row = 0; row < kSide; ++row) {
            for (int x = 0; x < kSide; ++x) {
                const bool ring = at(x, row) == kRing;
                rings += ring;
                int nearest = kSide;  // Chebyshev distance to the nearest spot
                for (const Spot& spot : c.spots) {
                    nearest =
                        std::min(nearest, std::max(std::abs(x - spot.x), std::abs(row - spot.row)));
                }
                if (ring) {
                    EXPECT_EQ(nearest, 3) << c.what << ": ring at " << x << " " << row;
                } else {
                    const std::size_t i = static_cast<std::size_t>(row) * kSide + x;
                    EXPECT_EQ(at(x, row), differenceColour(software, reference, i))
                        << c.what << " at " << x << " " << row;
                }
            }
        }
        EXPECT_EQ(rings, c.ringPixels) << c.what;
    }

    // One step, amplified, picks the heat colour of the product, clamped.
    const struct {
        int steps, amplify, heat;
    } amplified[] = {{1, 1, 1}, {1, 16, 16}, {1, 255, 255}, {2, 200, 255}, {0, 255, 0}, {3, 5, 15}};
    for (const auto& a : amplified) {
        RendererPicture software, reference;
        const PixelPair pair = {{100, 100, 100}, {100, 100, std::uint8_t(100 + a.steps)}, 0.5, 0.5};
        makePictures(1, 1, {pair}, &software, &reference);
        EXPECT_EQ(differenceColour(software, reference, 0, a.amplify), heatColour(a.heat))
            << a.steps << " x " << a.amplify;
        const MapStyle style = {255, a.amplify};  // no pixel differs: no ring
        const RgbCanvas::Rgb heat = heatColour(a.heat);
        EXPECT_EQ(differenceMap(software, reference, style),
                  std::vector<std::uint8_t>(heat.begin(), heat.end()));
    }
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
        EXPECT_NE(c, kRing);
        EXPECT_GE(c[0], c[1]) << "heat colours are red to yellow, never green or blue";
    }
    EXPECT_EQ(heatColour(0), (RgbCanvas::Rgb{0, 0, 0}));
}

}  // namespace
