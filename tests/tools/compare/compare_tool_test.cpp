// rasterwork-compare and the reference snapshot's float files without an X
// server (the reference off screen through EGL), checked against the
// snapshot tool's own pictures of the same view.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <nlohmann/json.hpp>
#include <ostream>
#include <set>

#include "bit_testing.h"
#include "child_process.h"
#include "examine/ladder_causes.h"
#include "examine/renderer_comparison.h"
#include "mismatch_pictures.h"
#include "run_tool.h"
#include "temp_dir.h"
#include "test_images.h"
#include "tools/compare/rule_fit.h"
#include "tools/compare/view_list.h"
#include "tools/images/comparison_panels.h"
#include "tools/pictures/reference_implementation.h"

namespace {

constexpr int kWidth = 160;  // large enough for the picture's legend
constexpr int kHeight = 120;
const std::vector<std::string> kView = {"--width",   std::to_string(kWidth),
                                        "--height",  std::to_string(kHeight),
                                        "--angle-z", "-75",
                                        "--angle-x", "-30",
                                        "--zoom",    "2.25"};

// A picture from a PNG and a depth PFM (rows bottom to top), each depth
// mapped to window depth.
RendererPicture pictureFromFiles(const RgbImage& png, const PfmFile& depth,
                                 double (*toWindow)(float)) {
    RendererPicture picture;
    picture.width = png.width;
    picture.height = png.height;
    picture.rgb = png.rgb;
    for (int row = 0; row < png.height; ++row) {
        for (int x = 0; x < png.width; ++x) {
            const std::size_t i = static_cast<std::size_t>(png.height - 1 - row) * png.width + x;
            picture.windowDepth.push_back(toWindow(floatFromBits(depth.bits[i])));
        }
    }
    return picture;
}

class CompareTool : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        temp_ = std::make_unique<TempDir>("rasterwork-compare-");
        dir_ = temp_->path();
        run({RW_SNAPSHOT_BINARY, "--png", "software.png", "--depth-pfm", "software-depth.pfm"});
        run({RW_SNAPSHOT_BINARY, "--renderer", "opengl", "--png", "reference.png", "--color-pfm",
             "reference-color.pfm", "--depth-pfm", "reference-depth.pfm"});
    }
    static void TearDownTestSuite() { temp_.reset(); }

    // Runs a tool on kView with DISPLAY unset and extraEnv added.
    static ToolRun run(std::vector<std::string> args,
                       const std::vector<std::string>& extraEnv = {}) {
        args.insert(args.begin() + 1, kView.begin(), kView.end());
        return runTool(args, dir_, "", 60.0, {}, "", extraEnv);
    }

    static RgbImage png(const std::string& name) {
        RgbImage image;
        std::string error;
        EXPECT_TRUE(readPng(dir_ + "/" + name, &image, &error)) << error;
        return image;
    }

    static PfmFile pfm(const std::string& name) {
        PfmFile file;
        std::string error;
        EXPECT_TRUE(readPfm(dir_ + "/" + name, &file, &error)) << error;
        return file;
    }

    static std::unique_ptr<TempDir> temp_;
    static std::string dir_;
};

std::unique_ptr<TempDir> CompareTool::temp_;
std::string CompareTool::dir_;

TEST_F(CompareTool, ReferenceFloatFilesHoldWhatItsPngShows) {
    const RgbImage shown = png("reference.png");
    const PfmFile color = pfm("reference-color.pfm");
    const PfmFile depth = pfm("reference-depth.pfm");
    ASSERT_EQ(color.header, "PF\n160 120\n-1.0\n");
    ASSERT_EQ(depth.header, "Pf\n160 120\n-1.0\n");
    ASSERT_EQ(shown.width, kWidth);
    long covered = 0, mismatches = 0;
    for (int row = 0; row < kHeight; ++row) {
        for (int x = 0; x < kWidth; ++x) {
            const std::size_t i = static_cast<std::size_t>(kHeight - 1 - row) * kWidth + x;
            const float z = floatFromBits(depth.bits[i]);
            ASSERT_TRUE(z >= 0.0f && z <= 1.0f) << z;
            covered += z < 1.0f;
            bool white = true;
            for (int c = 0; c < 3; ++c) {
                const float value = floatFromBits(color.bits[3 * i + c]);
                // 8-bit steps as floats: exactly a whole number of 255ths.
                mismatches += std::lround(value * 255.0f) != shown.at(x, row)[c] ||
                              std::fabs(value * 255.0f - std::lround(value * 255.0f)) > 1e-3f;
                white = white && shown.at(x, row)[c] == 255;
            }
            if (z == 1.0f) mismatches += !white;  // nothing drawn where no depth was written
        }
    }
    EXPECT_EQ(mismatches, 0);
    EXPECT_GT(covered, kWidth * kHeight / 10);
}

TEST_F(CompareTool, ReportAndPictureEqualThoseOfTheSnapshotsOfTheSameView) {
    const ToolRun json = run({RW_COMPARE_BINARY, "--json", "--png", "compare.png"});
    ASSERT_TRUE(json.finished);
    ASSERT_EQ(json.status, 0) << json.err;
    EXPECT_EQ(json.err, "");
    const ToolRun text = run({RW_COMPARE_BINARY});
    ASSERT_EQ(text.status, 0) << text.err;

    nlohmann::json report = nlohmann::json::parse(json.out);
    std::set<std::string> keys;
    for (const auto& item : report.items()) keys.insert(item.key());
    EXPECT_EQ(keys, (std::set<std::string>{
                        "width", "height", "both", "software_only", "reference_only", "iou",
                        "mean_step_difference", "max_step_difference", "max_step_difference_at",
                        "pixels_over_one_step", "max_depth_difference", "tolerance",
                        "pixels_over_tolerance", "reference_implementation"}));
    // The OpenGL found names itself, and the text says the same.
    const nlohmann::json& found = report["reference_implementation"];
    const GlImplementation gl{found.at("vendor"), found.at("renderer"), found.at("version"),
                              found.at("platform")};
    EXPECT_EQ(gl.platform, "egl");
    EXPECT_FALSE(gl.vendor.empty() || gl.renderer.empty() || gl.version.empty()) << found;
    EXPECT_EQ(report["mean_step_difference"].size(), 3u);
    EXPECT_EQ(report["max_step_difference"].size(), 3u);

    const RendererPicture software = pictureFromFiles(
        png("software.png"), pfm("software-depth.pfm"), [](float z) { return 0.5 * z + 0.5; });
    const RendererPicture reference = pictureFromFiles(
        png("reference.png"), pfm("reference-depth.pfm"), [](float z) { return double{z}; });
    const ComparisonReport expected = compareRenderers(software, reference);
    EXPECT_GT(expected.both, 1000);
    report.erase("reference_implementation");
    EXPECT_EQ(report, nlohmann::json::parse("{" + reportJsonMembers(expected) + "}"));
    EXPECT_EQ(text.out, "reference OpenGL                " + implementationText(gl) + "\n" +
                            reportText(expected));

    const RgbImage panels = png("compare.png");
    const RgbCanvas expectedPanels = composeComparisonPanels(software, reference);
    EXPECT_EQ(panels.width, expectedPanels.width);
    EXPECT_EQ(panels.height, expectedPanels.height);
    EXPECT_GT(panels.height, kHeight);  // with the legend below the panels
    EXPECT_TRUE(panels.rgb == expectedPanels.rgb);
}

TEST_F(CompareTool, ExitStatusTellsBadArgumentsFromNoOpenGL) {
    const ToolRun bad = run({RW_COMPARE_BINARY, "--png", "bad.png", "--renderer", "software"});
    EXPECT_EQ(bad.status, 2);
    EXPECT_EQ(bad.err, "rasterwork-compare: unknown option '--renderer' (see --help)\n");
    for (const std::vector<std::string>& badValue :
         {std::vector<std::string>{"--list-differing", "0"},
          {"--list-differing", "x"},
          {"--amplify", "0"},
          {"--amplify", "-2"},
          {"--amplify", "two"}}) {
        const ToolRun refused = run({RW_COMPARE_BINARY, "--png", "bad.png", "--cause-png",
                                     "bad-causes.png", badValue[0], badValue[1]});
        EXPECT_EQ(refused.status, 2) << badValue[0] << " " << badValue[1];
        EXPECT_EQ(countLines(refused.err), 1) << refused.err;
        EXPECT_EQ(refused.out, "");
    }

    const ToolRun headless =
        run({RW_COMPARE_BINARY, "--gl-platform", "x11", "--png", "headless.png"});
    EXPECT_EQ(headless.status, 1);
    EXPECT_EQ(countLines(headless.err), 1) << headless.err;
    EXPECT_EQ(headless.out, "");

    for (const std::string& name : listDirectory(dir_)) {
        EXPECT_TRUE(name != "bad.png" && name != "bad-causes.png" && name != "headless.png" &&
                    name[0] != '.')
            << name;
    }
}

// A differing pixel as the test finds it in two decoded pictures.
struct FoundPixel {
    int x = 0, y = 0;  // row 0 at the bottom
    std::string coveredBy;
    int largestStep = 0;  // where both cover
    bool operator==(const FoundPixel& o) const {
        return x == o.x && y == o.y && coveredBy == o.coveredBy && largestStep == o.largestStep;
    }
};

std::ostream& operator<<(std::ostream& out, const FoundPixel& p) {
    return out << "(" << p.x << ", " << p.y << ") " << p.coveredBy << " " << p.largestStep;
}

// Every pixel covered by one picture only or off by more than `tolerance`
// steps in some channel, worst first: one-sided ones, then by largest step,
// then from the bottom row up and left to right.
std::vector<FoundPixel> differingPixels(const RendererPicture& software,
                                        const RendererPicture& reference, int tolerance) {
    std::vector<FoundPixel> found;
    for (int row = 0; row < software.height; ++row) {
        for (int x = 0; x < software.width; ++x) {
            const std::size_t i = static_cast<std::size_t>(row) * software.width + x;
            const bool inSoftware = software.windowDepth[i] < 1.0;
            const bool inReference = reference.windowDepth[i] < 1.0;
            FoundPixel p{x, software.height - 1 - row, "", 0};
            if (inSoftware && inReference) {
                for (int c = 0; c < 3; ++c) {
                    p.largestStep = std::max(p.largestStep, std::abs(software.rgb[3 * i + c] -
                                                                     reference.rgb[3 * i + c]));
                }
                if (p.largestStep <= tolerance) continue;
                p.coveredBy = "both";
            } else if (inSoftware || inReference) {
                p.coveredBy = inSoftware ? "software_only" : "reference_only";
            } else {
                continue;
            }
            found.push_back(p);
        }
    }
    std::sort(found.begin(), found.end(), [](const FoundPixel& a, const FoundPixel& b) {
        const int aRank = a.coveredBy == "both" ? a.largestStep : 1000;
        const int bRank = b.coveredBy == "both" ? b.largestStep : 1000;
        if (aRank != bRank) return aRank > bRank;
        return a.y != b.y ? a.y < b.y : a.x < b.x;
    });
    return found;
}

std::vector<FoundPixel> listedPixels(const nlohmann::json& report) {
    std::vector<FoundPixel> listed;
    for (const nlohmann::json& p : report.at("differing_pixels")) {
        const nlohmann::json& steps = p.at("step_difference");
        const int largest =
            steps.is_null()
                ? 0
                : std::max({steps[0].get<int>(), steps[1].get<int>(), steps[2].get<int>()});
        listed.push_back({p.at("x"), p.at("y"), p.at("covered_by"), largest});
    }
    return listed;
}

// --list-differing lists what a decode of the snapshot tool's pictures of
// the same view finds, worst first: of the default small view, the worst
// six; at angle-z -105, angle-x 150, 240 x 240 under every rule, the one
// pixel the reference alone covers, (102, 169), ringed on the map, and with
// a tolerance of 0 every pixel a step off, amplified on the map.
TEST_F(CompareTool, ListsTheDifferingPixelsADecodeOfTheSnapshotsFinds) {
    const RendererPicture software = pictureFromFiles(
        png("software.png"), pfm("software-depth.pfm"), [](float z) { return 0.5 * z + 0.5; });
    const RendererPicture reference = pictureFromFiles(
        png("reference.png"), pfm("reference-depth.pfm"), [](float z) { return double{z}; });
    const ToolRun worst = run({RW_COMPARE_BINARY, "--list-differing", "6", "--json"});
    ASSERT_EQ(worst.status, 0) << worst.err;
    std::vector<FoundPixel> expected = differingPixels(software, reference, 1);
    ASSERT_GT(expected.size(), 6u);
    expected.resize(6);
    EXPECT_EQ(listedPixels(nlohmann::json::parse(worst.out)), expected);

    const std::vector<std::string> view = {"--width",   "240",  "--height",  "240",
                                           "--angle-z", "-105", "--angle-x", "150"};
    const std::string rules = "sampling,ambient,lights,viewer,specular,vertex,perspective,subpixel";
    const auto tool = [&](std::vector<std::string> args) {
        args.insert(args.begin() + 1, view.begin(), view.end());
        return runTool(args, dir_);
    };
    ASSERT_EQ(tool({RW_SNAPSHOT_BINARY, "--like-reference", rules, "--png", "rules.png",
                    "--depth-pfm", "rules-depth.pfm"})
                  .status,
              0);
    ASSERT_EQ(tool({RW_SNAPSHOT_BINARY, "--renderer", "opengl", "--png", "gl.png", "--depth-pfm",
                    "gl-depth.pfm"})
                  .status,
              0);
    const RendererPicture ruled = pictureFromFiles(png("rules.png"), pfm("rules-depth.pfm"),
                                                   [](float z) { return 0.5 * z + 0.5; });
    const RendererPicture gl =
        pictureFromFiles(png("gl.png"), pfm("gl-depth.pfm"), [](float z) { return double{z}; });
    const int mapLeft = 2 * (240 + kPanelGap);
    const auto mapAt = [](const RgbImage& image, int x, int y) {
        const std::uint8_t* p = image.at(mapLeft + x, 239 - y);
        return RgbCanvas::Rgb{p[0], p[1], p[2]};
    };

    const ToolRun lone = tool({RW_COMPARE_BINARY, "--like-reference", rules, "--list-differing",
                               "10", "--json", "--png", "lone.png"});
    ASSERT_EQ(lone.status, 3) << lone.err;  // one pixel over the limit of 0
    expected = differingPixels(ruled, gl, 1);
    EXPECT_EQ(expected, (std::vector<FoundPixel>{{102, 169, "reference_only", 0}}));
    EXPECT_EQ(listedPixels(nlohmann::json::parse(lone.out)), expected);
    const RgbImage map = png("lone.png");
    EXPECT_EQ(mapAt(map, 102, 169), kReferenceOnly);
    int ringed = 0;
    for (int dy = -3; dy <= 3; ++dy) {
        for (int dx = -3; dx <= 3; ++dx) {
            const bool onRing = std::max(std::abs(dx), std::abs(dy)) == 3;
            ringed += onRing && mapAt(map, 102 + dx, 169 + dy) == kRing;
            if (!onRing && (dx != 0 || dy != 0)) {
                EXPECT_NE(mapAt(map, 102 + dx, 169 + dy), kRing) << dx << " " << dy;
            }
        }
    }
    EXPECT_EQ(ringed, 24);

    const ToolRun steps =
        tool({RW_COMPARE_BINARY, "--like-reference", rules, "--tolerance", "0", "--list-differing",
              "100000", "--json", "--png", "steps.png", "--amplify", "64"});
    ASSERT_EQ(steps.status, 3) << steps.err;
    expected = differingPixels(ruled, gl, 0);
    ASSERT_GT(expected.size(), 1u) << "no pixel a step off to amplify";
    EXPECT_EQ(listedPixels(nlohmann::json::parse(steps.out)), expected);
    const RgbImage amplified = png("steps.png");
    for (const FoundPixel& p : expected) {
        if (p.coveredBy != "both") continue;
        EXPECT_EQ(mapAt(amplified, p.x, p.y), heatColour(std::min(255, 64 * p.largestStep))) << p;
    }
}

// The cause map against a decode of the snapshot tool's pictures of every
// ladder step and of the reference: each pixel's cause is the step from
// which on the step's picture is within the tolerance of the reference there.
// What remains after every rule is the ladder's last row; a row before may
// count fewer pixels than the causes after it, as a pixel within at one step
// may differ again at a later one.
TEST_F(CompareTool, CauseMapGivesEachPixelTheStepFromWhichOnItIsWithinTheTolerance) {
    const std::vector<std::string> rules = {"sampling", "ambient", "lights",      "viewer",
                                            "specular", "vertex",  "perspective", "subpixel"};
    const struct {
        std::vector<std::string> view;
        int width, height;
        const char* tolerance;
    } cases[] = {
        {{"--angle-z", "-75", "--angle-x", "-30", "--zoom", "2.25"}, 160, 120, "1"},
        {{"--angle-z", "-105", "--angle-x", "150"}, 240, 240, "1"},
        {{"--angle-z", "-105", "--angle-x", "150"}, 240, 240, "2"},
    };
    for (const auto& c : cases) {
        const std::string trace = c.view[1] + " " + c.view[3] + " tolerance " + c.tolerance;
        SCOPED_TRACE(trace);
        const auto tool = [&](std::vector<std::string> args) {
            args.insert(args.begin() + 1, c.view.begin(), c.view.end());
            args.insert(args.begin() + 1,
                        {"--width", std::to_string(c.width), "--height", std::to_string(c.height)});
            return runTool(args, dir_);
        };
        const ToolRun causes = tool(
            {RW_COMPARE_BINARY, "--cause-png", "causes.png", "--tolerance", c.tolerance, "--json"});
        ASSERT_EQ(causes.status, 0) << causes.err;
        const nlohmann::json report = nlohmann::json::parse(causes.out);

        ASSERT_EQ(tool({RW_SNAPSHOT_BINARY, "--renderer", "opengl", "--png", "gl.png",
                        "--depth-pfm", "gl-depth.pfm"})
                      .status,
                  0);
        const RendererPicture gl =
            pictureFromFiles(png("gl.png"), pfm("gl-depth.pfm"), [](float z) { return double{z}; });
        const std::size_t pixels = static_cast<std::size_t>(c.width) * c.height;
        // Per pixel: -1 while nothing covered it, -2 while it differs, else
        // the step since which it has been within.
        std::vector<int> since(pixels, -1);
        std::vector<long> differingAtOrAfter(rules.size() + 1, 0);  // from the last step back
        std::vector<std::vector<bool>> differs;
        const int tolerance = std::stoi(c.tolerance);
        for (std::size_t step = 0; step <= rules.size(); ++step) {
            std::vector<std::string> args = {RW_SNAPSHOT_BINARY, "--png", "step.png", "--depth-pfm",
                                             "step-depth.pfm"};
            std::string ruled;
            for (std::size_t r = 0; r < step; ++r) ruled += (r ? "," : "") + rules[r];
            if (step > 0) args.insert(args.end(), {"--like-reference", ruled});
            ASSERT_EQ(tool(args).status, 0) << ruled;
            const RendererPicture picture = pictureFromFiles(png("step.png"), pfm("step-depth.pfm"),
                                                             [](float z) { return 0.5 * z + 0.5; });
            differs.emplace_back(pixels);
            for (std::size_t i = 0; i < pixels; ++i) {
                const bool inStep = picture.windowDepth[i] < 1.0;
                const bool inGl = gl.windowDepth[i] < 1.0;
                bool within = inStep == inGl;
                for (int ch = 0; within && inStep && ch < 3; ++ch) {
                    within = std::abs(picture.rgb[3 * i + ch] - gl.rgb[3 * i + ch]) <= tolerance;
                }
                differs[step][i] = !within;
                if (!within) {
                    since[i] = -2;
                } else if (since[i] == -2) {
                    since[i] = static_cast<int>(step);
                } else if (since[i] == -1 && inStep) {
                    since[i] = 0;
                }
            }
        }
        const int unexplained = static_cast<int>(rules.size()) + 1;
        std::vector<long> counts(rules.size() + 2, 0);
        for (std::size_t i = 0; i < pixels; ++i) {
            if (since[i] == -2) since[i] = unexplained;
            if (since[i] >= 0) ++counts[since[i]];
        }
        const nlohmann::json& reported = report.at("causes");
        ASSERT_EQ(reported.size(), counts.size());
        EXPECT_EQ(reported.at("specified"), counts[0]);
        for (std::size_t r = 0; r < rules.size(); ++r) {
            EXPECT_EQ(reported.at(rules[r]), counts[r + 1]) << rules[r];
        }
        EXPECT_EQ(reported.at("unexplained"), counts[unexplained]);

        // The ladder's rows: after step k, the pixels that differ then; the
        // causes after k, the pixels that differ then or at a later step.
        const nlohmann::json& ladder = report.at("ladder");
        ASSERT_EQ(ladder.size(), rules.size() + 1);
        long causedLater = 0;
        for (int step = static_cast<int>(rules.size()); step >= 0; --step) {
            causedLater += counts[step + 1];
            const nlohmann::json& row = ladder[step];
            const long rowDiffering = row.at("software_only").get<long>() +
                                      row.at("reference_only").get<long>() +
                                      row.at("pixels_over_tolerance").get<long>();
            long differingThen = 0, differingThenOrLater = 0;
            for (std::size_t i = 0; i < pixels; ++i) {
                differingThen += differs[step][i];
                bool later = false;
                for (std::size_t s = step; s < differs.size(); ++s) later = later || differs[s][i];
                differingThenOrLater += later;
            }
            EXPECT_EQ(rowDiffering, differingThen) << step;
            EXPECT_EQ(causedLater, differingThenOrLater) << step;
            EXPECT_GE(causedLater, rowDiffering) << step;
            if (step == static_cast<int>(rules.size())) {
                EXPECT_EQ(causedLater, rowDiffering) << "unexplained: what every rule leaves";
            }
        }
        EXPECT_GT(counts[0] + counts[1] + counts[2], 0) << "no pixel explained early";

        // The picture: the map as the causes say, a lone unexplained pixel
        // ringed three pixels out, the legend below.
        const RgbImage map = png("causes.png");
        ASSERT_GE(map.width, c.width);
        ASSERT_GT(map.height, c.height);
        const auto causeAt = [&](int x, int row) {
            const bool inside = x >= 0 && x < c.width && row >= 0 && row < c.height;
            return inside ? since[static_cast<std::size_t>(row) * c.width + x] : kCauseNotCovered;
        };
        long wrong = 0, ringed = 0;
        for (int row = 0; row < c.height; ++row) {
            for (int x = 0; x < c.width; ++x) {
                const std::uint8_t* p = map.at(x, row);
                const RgbCanvas::Rgb colour = {p[0], p[1], p[2]};
                if (colour == kRing && causeAt(x, row) != kCauseUnexplained) {
                    ++ringed;
                    bool unexplainedOnRing = false;
                    for (int dy = -3; dy <= 3; ++dy) {
                        for (int dx = -3; dx <= 3; ++dx) {
                            unexplainedOnRing = unexplainedOnRing ||
                                                (std::max(std::abs(dx), std::abs(dy)) == 3 &&
                                                 causeAt(x + dx, row + dy) == kCauseUnexplained);
                        }
                    }
                    wrong += !unexplainedOnRing;
                } else {
                    wrong += colour != causeColour(causeAt(x, row));
                }
            }
        }
        if (counts[unexplained] == 1) {
            EXPECT_GT(ringed, 0) << "the one unexplained pixel";
        }
        EXPECT_EQ(wrong, 0);
    }
}

// The reference picture has the size asked for and, since both renderers
// cover nearly the same pixels, the software picture's outline: a flipped,
// shifted or wrongly scaled picture overlaps far less.
TEST_F(CompareTool, ReferenceSnapshotHasTheRequestedSizeAndTheSoftwareOutline) {
    const std::vector<std::string> size = {"--width", "320", "--height", "200"};
    std::vector<std::string> args = {RW_SNAPSHOT_BINARY, "--png", "size-reference.png",
                                     "--renderer", "opengl"};
    args.insert(args.end(), size.begin(), size.end());
    ASSERT_EQ(runTool(args, dir_).status, 0);
    args = {RW_SNAPSHOT_BINARY, "--png", "size-software.png"};
    args.insert(args.end(), size.begin(), size.end());
    ASSERT_EQ(runTool(args, dir_).status, 0);
    const RgbImage reference = png("size-reference.png");
    const RgbImage software = png("size-software.png");
    ASSERT_EQ(reference.width, 320);
    ASSERT_EQ(reference.height, 200);
    long both = 0, either = 0;
    for (std::size_t i = 0; i + 2 < reference.rgb.size(); i += 3) {
        const bool inReference =
            reference.rgb[i] != 255 || reference.rgb[i + 1] != 255 || reference.rgb[i + 2] != 255;
        const bool inSoftware =
            software.rgb[i] != 255 || software.rgb[i + 1] != 255 || software.rgb[i + 2] != 255;
        both += inReference && inSoftware;
        either += inReference || inSoftware;
    }
    ASSERT_GT(either, 0);
    const double overlap = static_cast<double>(both) / either;
    std::printf("covered-pixel overlap of reference and software: %.4f\n", overlap);
    EXPECT_GT(overlap, 0.95) << saveMismatchPictures("reference-vs-software-outline", reference,
                                                     software);
}

// Lines of JSON, each parsed.
std::vector<nlohmann::json> jsonLines(const std::string& text) {
    std::vector<nlohmann::json> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
        lines.push_back(nlohmann::json::parse(text.substr(start, end - start)));
    }
    return lines;
}

TEST_F(CompareTool, LadderStartsWithThePlainReportAndSwitchesTheRulesInOrder) {
    const ToolRun plain = run({RW_COMPARE_BINARY, "--json"});
    const ToolRun ladder = run({RW_COMPARE_BINARY, "--ladder", "--json", "--png", "ladder.png"});
    ASSERT_EQ(plain.status, 0) << plain.err;
    ASSERT_EQ(ladder.status, 0) << ladder.err;
    const nlohmann::json rows = nlohmann::json::parse(ladder.out).at("ladder");
    const std::vector<std::string> steps = {"specified", "sampling",    "ambient",
                                            "lights",    "viewer",      "specular",
                                            "vertex",    "perspective", "subpixel"};
    ASSERT_EQ(rows.size(), steps.size());
    for (std::size_t i = 0; i < steps.size(); ++i) EXPECT_EQ(rows[i].at("step"), steps[i]);
    nlohmann::json first = rows[0];
    first.erase("step");
    nlohmann::json single = nlohmann::json::parse(plain.out);
    EXPECT_EQ(nlohmann::json::parse(ladder.out).at("reference_implementation"),
              single.at("reference_implementation"));
    single.erase("reference_implementation");
    EXPECT_EQ(first, single);
    EXPECT_EQ(png("ladder.png").width, 3 * kWidth + 2 * kPanelGap);
}

// Where no view has a worst figure (nothing covered, or every view crosses
// the near plane) the report is printed and the sheet says that there is
// nothing to show.
TEST_F(CompareTool, ASweepWithoutAWorstViewStillPrintsItsReportAndSheet) {
    const std::vector<std::vector<std::string>> sweeps = {
        {"--pan-x", "100000", "--views", "turntable:4"},
        {"--zoom", "11.9", "--views", "turntable:4"},
    };
    for (const std::vector<std::string>& sweep : sweeps) {
        SCOPED_TRACE(sweep[0]);
        std::vector<std::string> args = {RW_COMPARE_BINARY, "--width", std::to_string(kWidth),
                                         "--height", std::to_string(kHeight)};
        args.insert(args.end(), sweep.begin(), sweep.end());
        args.insert(args.end(), {"--png", "nothing.png"});
        const ToolRun text = runTool(args, dir_);
        ASSERT_EQ(text.status, 0) << text.err;
        EXPECT_EQ(text.err, "");
        EXPECT_NE(text.out.find("\n4 views, "), std::string::npos) << text.out;
        const RgbImage sheet = png("nothing.png");
        EXPECT_EQ(sheet.width, kWidth);
        EXPECT_GT(sheet.height, 0);
        EXPECT_GT(countNonWhite(sheet), 0) << "the sheet says nothing";
    }
}

// The check over a turntable of 36 views: what is left after every rule is
// within 0.1% in every view, while a scan converter whose spans are one pixel
// too long is caught. A view that reaches nearer than the near plane is
// reported as such and not held against the limit.
TEST_F(CompareTool, CheckPassesTheRasteriserAndCatchesAPlantedFaultOverATurntable) {
    const std::vector<std::string> check = {"--like-reference", "all",         "--views",
                                            "turntable:36",     "--tolerance", "1",
                                            "--max-differing",  "0.1%",        "--json"};
    std::vector<std::string> args = {RW_COMPARE_BINARY};
    args.insert(args.end(), check.begin(), check.end());
    const ToolRun correct = run(args);
    args[0] = RW_PLANTED_FAULT_COMPARE_BINARY;
    const ToolRun planted = run(args);

    ASSERT_EQ(correct.status, 0) << correct.err << correct.out;
    std::vector<nlohmann::json> lines = jsonLines(correct.out);
    ASSERT_EQ(lines.size(), 37u);
    for (std::size_t v = 0; v < 36; ++v) {
        EXPECT_EQ(lines[v].at("view"), v);
        EXPECT_EQ(lines[v].at("within_limit"), true) << lines[v];
    }
    EXPECT_EQ(lines[36].at("summary").at("over_limit"), 0);

    ASSERT_EQ(planted.status, 3) << planted.err;
    lines = jsonLines(planted.out);
    ASSERT_EQ(lines.size(), 37u);
    EXPECT_EQ(lines[36].at("summary").at("over_limit"), 36);
    EXPECT_GT(lines[36].at("summary").at("worst").at("differing").at("value"), 20);

    std::ofstream(dir_ + "/near.views") << "-75 -30 2.25 0 0\n-75 -30 11 0 0  # at the eye\n";
    const ToolRun near = run({RW_PLANTED_FAULT_COMPARE_BINARY, "--like-reference", "all", "--views",
                              "near.views", "--max-differing", "100%", "--json"});
    ASSERT_EQ(near.status, 0) << near.err;
    lines = jsonLines(near.out);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].at("crosses_near_plane"), false);
    EXPECT_EQ(lines[1].at("crosses_near_plane"), true);
    EXPECT_EQ(lines[2].at("summary").at("crossing_near_plane"), 1);

    // Where every view crosses the near plane the check checks nothing: it
    // says so and does not pass.
    std::ofstream(dir_ + "/all-near.views") << "-75 -30 11 0 0\n-15 -30 11 0 0\n";
    for (const bool json : {false, true}) {
        std::vector<std::string> nothing = {RW_COMPARE_BINARY, "--like-reference", "all", "--views",
                                            "all-near.views"};
        if (json) nothing.push_back("--json");
        const ToolRun none = run(nothing);
        EXPECT_EQ(none.status, 3) << none.err << none.out;
        if (json) {
            EXPECT_EQ(jsonLines(none.out).back().at("summary").at("views_checked"), 0) << none.out;
        } else {
            EXPECT_NE(none.out.find("nothing checked: every view crosses the near plane"),
                      std::string::npos)
                << none.out;
        }
    }
    // Nor does a fit over them take rules on no evidence.
    const ToolRun noFit = run({RW_COMPARE_BINARY, "--fit-rules", "--views", "all-near.views"});
    EXPECT_EQ(noFit.status, 1);
    EXPECT_EQ(noFit.err,
              "rasterwork-compare: every view crosses the near plane: no view to fit the rules "
              "over\n");
}

// An output that is the views file the run reads, by whatever name, is
// refused before anything is drawn, and the views file stays as it was.
TEST_F(CompareTool, AnOutputThatIsTheViewsFileIsRefused) {
    const std::string views = "0 0 0.25 0 0\n90 0 0.25 0 0\n";
    std::ofstream(dir_ + "/in.views") << views;
    ASSERT_EQ(link((dir_ + "/in.views").c_str(), (dir_ + "/hard.views").c_str()), 0);
    ASSERT_EQ(symlink("in.views", (dir_ + "/soft.views").c_str()), 0);
    const std::vector<std::vector<std::string>> cases = {
        {"--views", "in.views", "--png", "in.views"},
        {"--views", "in.views", "--png", "hard.views"},
        {"--views", "soft.views", "--png", "./in.views"},
    };
    for (const std::vector<std::string>& c : cases) {
        std::vector<std::string> args = {RW_COMPARE_BINARY};
        args.insert(args.end(), c.begin(), c.end());
        const ToolRun refused = run(args);
        EXPECT_EQ(refused.status, 2) << c[1] << " " << c[3] << ": " << refused.err;
        EXPECT_EQ(countLines(refused.err), 1) << refused.err;
        EXPECT_NE(refused.err.find("an output may not overwrite an input"), std::string::npos)
            << refused.err;
        EXPECT_EQ(refused.out, "") << "drawn before the refusal";
        EXPECT_EQ(readFile(dir_ + "/in.views"), views);
    }
}

// --like-reference all takes the rules that hold for the OpenGL found: with
// Mesa's llvmpipe every rule, and no pixel differs in any view of a 36-view
// turntable at 480 x 480; with softpipe, which snaps to no 1/256-pixel grid,
// every rule but subpixel, and what remains is within 0.01% in every view.
TEST_F(CompareTool, LikeReferenceAllFitsTheImplementationOverATurntable) {
    const std::vector<std::string> every = {"sampling", "ambient", "lights",      "viewer",
                                            "specular", "vertex",  "perspective", "subpixel"};
    const std::vector<std::string> allButSubpixel(every.begin(), every.end() - 1);
    const struct {
        const char* driver;
        const char* limit;
        std::vector<std::string> rules;
    } cases[] = {{"llvmpipe", "0", every}, {"softpipe", "0.01%", allButSubpixel}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.driver);
        const ToolRun run =
            runTool({RW_COMPARE_BINARY, "--like-reference", "all", "--views", "turntable:36",
                     "--max-differing", c.limit, "--json"},
                    dir_, "", 120.0, {}, "", {std::string("GALLIUM_DRIVER=") + c.driver});
        ASSERT_TRUE(run.finished);
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.err, "");
        const std::vector<nlohmann::json> lines = jsonLines(run.out);
        ASSERT_EQ(lines.size(), 37u);
        long differing = 0;
        for (std::size_t v = 0; v < 36; ++v) differing += lines[v].at("differing").get<long>();
        std::printf("%s: %ld differing pixels over 36 views\n", c.driver, differing);
        const nlohmann::json& summary = lines[36].at("summary");
        EXPECT_EQ(summary.at("over_limit"), 0);
        EXPECT_EQ(summary.at("like_reference"), c.rules);
        const std::string renderer = summary.at("reference_implementation").at("renderer");
        EXPECT_EQ(renderer.rfind(c.driver, 0), 0u) << renderer;
        if (std::string(c.limit) == "0") {
            EXPECT_EQ(differing, 0);
        }
    }
}

// --fit-rules over its default views at 480 x 480 finds llvmpipe's rules
// (every rule, 1/256 pixel) and softpipe's (every rule, no grid), and what
// it says the fitted rules leave is what a check with them finds.
TEST_F(CompareTool, FitRulesFindsEachImplementationsRulesAndTheirRemainder) {
    std::ofstream views(dir_ + "/fit.views");
    for (const View& view : defaultFitViews(View{})) views << viewText(view) << "\n";
    views.close();
    const struct {
        const char* driver;
        std::vector<std::string> rules;
    } cases[] = {
        {"llvmpipe",
         {"sampling", "ambient", "lights", "viewer", "specular", "vertex", "perspective",
          "subpixel"}},
        {"softpipe",
         {"sampling", "ambient", "lights", "viewer", "specular", "vertex", "perspective"}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.driver);
        const std::vector<std::string> env = {std::string("GALLIUM_DRIVER=") + c.driver};
        const ToolRun fitted =
            runTool({RW_COMPARE_BINARY, "--fit-rules", "--json"}, dir_, "", 120.0, {}, "", env);
        ASSERT_TRUE(fitted.finished);
        ASSERT_EQ(fitted.status, 0) << fitted.err;
        const nlohmann::json fit = nlohmann::json::parse(fitted.out);
        EXPECT_EQ(fit.at("fitted_rules"), c.rules);
        EXPECT_EQ(fit.at("views_fitted"), 13);
        const nlohmann::json& grid = fit.at("fit")[7];
        const long left = grid.at("differing_by_bits")[grid.at("bits").get<int>()];
        std::printf("%s: fitted %s, %ld differing pixels over 13 views\n", c.driver,
                    fit.at("fitted_rules").dump().c_str(), left);

        std::string list;
        for (const std::string& name : c.rules) list += (list.empty() ? "" : ",") + name;
        const ToolRun check = runTool({RW_COMPARE_BINARY, "--like-reference", list, "--views",
                                       "fit.views", "--max-differing", "100%", "--json"},
                                      dir_, "", 120.0, {}, "", env);
        ASSERT_EQ(check.status, 0) << check.err;
        const std::vector<nlohmann::json> lines = jsonLines(check.out);
        ASSERT_EQ(lines.size(), 14u);
        long differing = 0;
        for (std::size_t v = 0; v < 13; ++v) differing += lines[v].at("differing").get<long>();
        EXPECT_EQ(differing, left);
    }
}

// Mesa's no-op driver names itself "NOOP" and draws nothing it keeps: an
// OpenGL the tools do not know, whose rules --like-reference all fits
// before the check, and says so. What its buffers hold is not defined, so
// only the fit's taking part is checked, not its rules.
TEST_F(CompareTool, LikeReferenceAllFitsTheRulesOfAnOpenGLItDoesNotKnow) {
    const ToolRun check = run({RW_COMPARE_BINARY, "--like-reference", "all"}, {"GALLIUM_NOOP=1"});
    ASSERT_TRUE(check.finished);
    ASSERT_TRUE(check.status == 0 || check.status == 3) << check.err;
    EXPECT_NE(check.out.find("reference OpenGL                NOOP"), std::string::npos)
        << check.out;
    EXPECT_NE(check.out.find("takes the rules fitted to it over 13 views"), std::string::npos)
        << check.out;
    EXPECT_NE(check.out.find("\nlike the reference              "), std::string::npos);
}

}  // namespace
