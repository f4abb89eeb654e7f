// rasterwork-explain without an X server (the reference off screen through
// EGL), checked against the snapshot tool's files of the same view: what it
// says about a pixel must be what the renderers stored.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <nlohmann/json.hpp>

#include "bit_testing.h"
#include "run_tool.h"
#include "temp_dir.h"
#include "test_images.h"
#include "tools/explain/magnifier.h"
#include "tools/explain/pixel_crop.h"
#include "tools/images/comparison_panels.h"
#include "tools/snapshot/stage_pictures.h"

namespace {

using nlohmann::json;

struct ViewArgs {
    const char* name;
    std::vector<std::string> args;
};

constexpr int kWidth = 160;
constexpr int kHeight = 120;

// The viewer's start-up view, and one looking along the patches so that two
// of them overlap; both kWidth x kHeight.
const ViewArgs kViews[] = {
    {"default", {"--width", "160", "--height", "120"}},
    {"edge-on", {"--width", "160", "--height", "120", "--angle-z", "-90", "--angle-x", "-80"}},
};

// The snapshot tool's files of one view.
struct ViewFiles {
    RgbImage softwarePng, referencePng, fragments;
    PfmFile color, depth, referenceDepth;
};

class ExplainTool : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        temp_ = std::make_unique<TempDir>("rasterwork-explain-");
        for (const ViewArgs& view : kViews) {
            const std::string n = view.name;
            run({RW_SNAPSHOT_BINARY, "--png", n + ".png", "--color-pfm", n + "-color.pfm",
                 "--depth-pfm", n + "-depth.pfm", "--fragments-png", n + "-fragments.png"},
                view);
            run({RW_SNAPSHOT_BINARY, "--renderer", "opengl", "--png", n + "-reference.png",
                 "--depth-pfm", n + "-reference-depth.pfm"},
                view);
        }
    }
    static void TearDownTestSuite() { temp_.reset(); }

    static ToolRun run(std::vector<std::string> args, const ViewArgs& view) {
        args.insert(args.begin() + 1, view.args.begin(), view.args.end());
        const ToolRun result = runTool(args, temp_->path());
        EXPECT_EQ(result.status, 0) << args[0] << ": " << result.err;
        return result;
    }

    static json explain(const ViewArgs& view, int x, int y, std::vector<std::string> extra = {}) {
        std::vector<std::string> args = {RW_EXPLAIN_BINARY, "--json"};
        args.insert(args.end(), extra.begin(), extra.end());
        args.insert(args.end(), {std::to_string(x), std::to_string(y)});
        return json::parse(run(args, view).out);
    }

    static ViewFiles files(const ViewArgs& view) {
        const std::string dir = temp_->path() + "/" + view.name;
        ViewFiles f;
        std::string error;
        EXPECT_TRUE(readPng(dir + ".png", &f.softwarePng, &error)) << error;
        EXPECT_TRUE(readPng(dir + "-reference.png", &f.referencePng, &error)) << error;
        EXPECT_TRUE(readPng(dir + "-fragments.png", &f.fragments, &error)) << error;
        EXPECT_TRUE(readPfm(dir + "-color.pfm", &f.color, &error)) << error;
        EXPECT_TRUE(readPfm(dir + "-depth.pfm", &f.depth, &error)) << error;
        EXPECT_TRUE(readPfm(dir + "-reference-depth.pfm", &f.referenceDepth, &error)) << error;
        return f;
    }

    static std::unique_ptr<TempDir> temp_;
};

std::unique_ptr<TempDir> ExplainTool::temp_;

float asFloat(const json& value) {
    return value.get<float>();
}

std::uint32_t bitsOf(const json& value) {
    return floatBits(asFloat(value));
}

// The count the fragments picture shows at (x, y), y from the bottom.
int shownFragmentCount(const RgbImage& picture, int x, int y, int frameHeight) {
    const std::uint8_t* p = picture.at(x, frameHeight - 1 - y);
    for (std::uint32_t count = 0; count < kHottestCount; ++count) {
        const RgbCanvas::Rgb c = fragmentCountColour(count);
        if (std::equal(c.begin(), c.end(), p)) return static_cast<int>(count);
    }
    return -1;
}

// The colour rebuilt from the printed terms, in float as the renderer sums:
// sum = sum + contribution, then + ambient; each contribution is
// (specular part + diffuse part) x light colour.
std::array<float, 3> recombined(const json& terms) {
    std::array<float, 3> sum{};
    for (const json& light : terms["lights"]) {
        for (int c = 0; c < 3; ++c) {
            const float adds =
                (asFloat(light["specular_part"][c]) + asFloat(light["diffuse_part"][c])) *
                asFloat(light["light_color"][c]);
            EXPECT_EQ(floatBits(adds), bitsOf(light["contribution"][c])) << c;
            sum[c] = sum[c] + asFloat(light["contribution"][c]);
        }
    }
    for (int c = 0; c < 3; ++c) sum[c] = sum[c] + asFloat(terms["ambient"][c]);
    return sum;
}

TEST_F(ExplainTool, AgreesWithTheSnapshotFilesAtEveryKindOfPixel) {
    const struct {
        const ViewArgs& view;
        int x, y;
        const char* kind;
    } pixels[] = {
        {kViews[0], 0, 0, "background"},
        {kViews[0], 39, 83, "on the side two faces share: two fragments"},
        {kViews[0], 25, 65, "inside a patch"},
        {kViews[0], 21, 65, "first covered pixel of its row"},
        {kViews[0], 88, 65, "last covered pixel of its row"},
        {kViews[1], 56, 60, "two patches overlap"},
        {kViews[1], 123, 64, "two faces of one patch"},
    };
    int multiFragment = 0;
    for (const auto& p : pixels) {
        SCOPED_TRACE(std::string(p.view.name) + " " + std::to_string(p.x) + ", " +
                     std::to_string(p.y) + ": " + p.kind);
        const ViewFiles f = files(p.view);
        const json e = explain(p.view, p.x, p.y);
        const json& software = e["software"];
        // The story begins with a sentence per side and the settling step.
        const std::string why = e["why"];
        EXPECT_EQ(why.rfind("Software: ", 0), 0u) << why;
        EXPECT_NE(why.find(". Reference: "), std::string::npos) << why;
        EXPECT_EQ(e["settled_by"].is_null(), e["coverage"] == "neither") << why;
        const std::size_t i = static_cast<std::size_t>(p.y) * kWidth + p.x;
        const int row = kHeight - 1 - p.y;  // in the PNGs, top row first
        for (int c = 0; c < 3; ++c) {
            EXPECT_EQ(bitsOf(software["color"][c]), f.color.bits[3 * i + c]) << c;
            EXPECT_EQ(software["window_bytes"][c].get<int>(), f.softwarePng.at(p.x, row)[c]);
            EXPECT_EQ(e["reference"]["window_bytes"][c].get<int>(), f.referencePng.at(p.x, row)[c]);
        }
        EXPECT_EQ(bitsOf(software["depth"]), f.depth.bits[i]);
        EXPECT_EQ(bitsOf(e["reference"]["window_depth"]), f.referenceDepth.bits[i]);
        // Both depths on both scales: window = 0.5 z + 0.5.
        EXPECT_EQ(software["window_depth"].get<double>(),
                  0.5 * static_cast<double>(asFloat(software["depth"])) + 0.5);
        EXPECT_EQ(e["reference"]["device_z"].get<double>(),
                  2.0 * static_cast<double>(asFloat(e["reference"]["window_depth"])) - 1.0);
        EXPECT_EQ(e["reference_implementation"]["platform"], "egl");

        // Replaying the fragments through a depth test gives the stored depth
        // and colour; every passed one's terms rebuild its colour exactly.
        const json& fragments = software["fragments"];
        EXPECT_EQ(static_cast<int>(fragments.size()),
                  shownFragmentCount(f.fragments, p.x, p.y, kHeight));
        multiFragment += fragments.size() > 1;
        float depth = 1.0f;
        std::array<std::uint32_t, 3> colour = {floatBits(1.0f), floatBits(1.0f), floatBits(1.0f)};
        int passed = 0;
        for (std::size_t k = 0; k < fragments.size(); ++k) {
            const json& fragment = fragments[k];
            EXPECT_EQ(bitsOf(fragment["depth_before"]), floatBits(depth)) << k;
            EXPECT_EQ(fragment["passed"].get<bool>(), asFloat(fragment["depth"]) < depth) << k;
            if (!fragment["passed"].get<bool>()) continue;
            ++passed;
            depth = asFloat(fragment["depth"]);
            const std::array<float, 3> rebuilt = recombined(fragment["terms"]);
            for (int c = 0; c < 3; ++c) {
                colour[c] = bitsOf(fragment["color"][c]);
                EXPECT_EQ(floatBits(rebuilt[c]), colour[c]) << k << " channel " << c;
            }
        }
        // Every passed fragment but the last was replaced.
        int seen = 0;
        for (std::size_t k = 0; k < fragments.size(); ++k) {
            const bool replaced = fragments[k]["passed"].get<bool>() && ++seen < passed;
            EXPECT_EQ(fragments[k]["replaced"].get<bool>(), replaced) << k;
        }
        EXPECT_EQ(floatBits(depth), f.depth.bits[i]);
        for (int c = 0; c < 3; ++c) EXPECT_EQ(colour[c], f.color.bits[3 * i + c]);
    }
    EXPECT_GE(multiFragment, 3);  // the table holds what it says it does
}

// Where the reference shows one patch's hue, the object pass names that
// patch; the crop's centre square holds the pixel of both pictures.
TEST_F(ExplainTool, ReferenceObjectMatchesTheReferenceColour) {
    const struct {
        int x, y;
        const char* hue;  // the reference colour's strongest channel, or "" for white
    } pixels[] = {{25, 65, "red"}, {80, 85, "green"}, {135, 65, "blue"}, {80, 10, ""}};
    const std::vector<std::string> names = {"red", "green", "blue"};
    for (const auto& p : pixels) {
        SCOPED_TRACE(std::to_string(p.x) + ", " + std::to_string(p.y));
        const json e = explain(kViews[0], p.x, p.y, {"--crop-png", "crop.png"});
        const json& reference = e["reference"];
        const json& bytes = reference["window_bytes"];
        const int strongest =
            static_cast<int>(std::max_element(bytes.begin(), bytes.end(),
                                              [](const json& a, const json& b) {
                                                  return a.get<int>() < b.get<int>();
                                              }) -
                             bytes.begin());
        if (*p.hue == '\0') {
            EXPECT_TRUE(reference["object"].is_null());
            EXPECT_EQ(bytes, json::array({255, 255, 255}));
            EXPECT_EQ(e["coverage"], "neither");
        } else {
            EXPECT_EQ(names[static_cast<std::size_t>(strongest)], p.hue) << bytes;
            ASSERT_TRUE(reference["object"].is_number());
            const json& fragments = e["software"]["fragments"];
            ASSERT_FALSE(fragments.empty());
            EXPECT_EQ(fragments.back()["object_name"], p.hue);
            EXPECT_EQ(fragments.back()["object"], reference["object"]);
            EXPECT_EQ(e["coverage"], "both");
        }

        RgbImage crop;
        std::string error;
        ASSERT_TRUE(readPng(temp_->path() + "/crop.png", &crop, &error)) << error;
        // The magnifier, then the three panels below it.
        const int panel = kCropSide * kCropZoom;
        const int top = kMagnifierHeight + kPanelGap;
        ASSERT_EQ(crop.width, std::max(kMagnifierWidth, 3 * panel + 2 * kPanelGap));
        ASSERT_EQ(crop.height, top + panel + kPanelGap + kCropCaptionHeight);
        // Each panel's caption is drawn in ink in the white strip below it.
        for (int k = 0; k < 3; ++k) {
            int ink = 0;
            for (int row = top + panel + kPanelGap; row < crop.height; ++row) {
                for (int x = k * (panel + kPanelGap); x < k * (panel + kPanelGap) + panel; ++x) {
                    const std::uint8_t* q = crop.at(x, row);
                    ink += std::equal(kInk.begin(), kInk.end(), q);
                }
            }
            EXPECT_GT(ink, 20) << "panel " << k;
        }
        const int centre = kCropSide / 2 * kCropZoom + kCropZoom / 2;
        for (int c = 0; c < 3; ++c) {
            EXPECT_EQ(crop.at(centre, top + centre)[c],
                      e["software"]["window_bytes"][c].get<int>());
            EXPECT_EQ(crop.at(panel + kPanelGap + centre, top + centre)[c], bytes[c].get<int>());
        }
    }
}

}  // namespace

namespace {

const ViewArgs kModelViews[] = {
    kViews[0],
    kViews[1],
    {"default-480", {}},
    {"steep", {"--width", "240", "--height", "240", "--angle-z", "-105", "--angle-x", "150"}},
};

}  // namespace

// The reference model predicts the reference's bytes within one step
// wherever both cover the pixel, and it is the colour --like-reference all
// draws there, to the last bit.
// A face's scan as --face prints it: every span's depth tests are what the
// story of those pixels reports for that face.
TEST_F(ExplainTool, FaceScanAgreesWithThePixelsItReaches) {
    const ViewArgs& view = kViews[1];
    const json scan = json::parse(run({RW_EXPLAIN_BINARY, "--json", "--face", "0:70"}, view).out);
    EXPECT_EQ(scan["object"], 0);
    EXPECT_EQ(scan["face"], 70);
    EXPECT_FALSE(scan["corners"].empty());
    EXPECT_FALSE(scan["edges"].empty());
    int checked = 0;
    for (const json& row : scan["rows"]) {
        EXPECT_EQ(row["active"].size(), row["active_edges"].size());
        for (const json& span : row["spans"]) {
            const int first = span["first_column"], end = span["end_column"];
            ASSERT_EQ(span["fragments"].size(), static_cast<std::size_t>(std::max(0, end - first)));
            // Each row's first fragment: a few tool runs, every row.
            if (span["fragments"].empty()) continue;
            const json& f = span["fragments"][0];
            const json pixel = explain(view, f["column"], row["y"]);
            bool found = false;
            for (const json& told : pixel["software"]["fragments"]) {
                if (told["object"] != 0 || told["face"] != 70) continue;
                found = true;
                EXPECT_EQ(told["span"]["left"], span["left"]);
                EXPECT_EQ(told["span"]["right"], span["right"]);
                EXPECT_EQ(told["span"]["first_column"], first);
                EXPECT_EQ(told["span"]["end_column"], end);
                EXPECT_EQ(told["depth"], f["depth"]);
                EXPECT_EQ(told["depth_before"], f["depth_before"]);
                EXPECT_EQ(told["passed"], f["passed"]);
            }
            EXPECT_TRUE(found) << f["column"] << ", " << row["y"];
            ++checked;
        }
    }
    EXPECT_GE(checked, 2);
}

TEST_F(ExplainTool, ReferenceModelPredictsTheReference) {
    const struct {
        const ViewArgs& view;
        int x, y;
    } pixels[] = {
        {kModelViews[0], 25, 65},   {kModelViews[0], 39, 83},   {kModelViews[0], 21, 65},
        {kModelViews[0], 80, 85},   {kModelViews[0], 135, 65},  {kModelViews[1], 56, 60},
        {kModelViews[1], 123, 64},  {kModelViews[2], 449, 259}, {kModelViews[2], 240, 240},
        {kModelViews[3], 120, 150}, {kModelViews[3], 102, 169}, {kModelViews[0], 0, 0},
        {kModelViews[2], 300, 200},
    };
    int compared = 0;
    for (const auto& p : pixels) {
        SCOPED_TRACE(std::string(p.view.name) + " " + std::to_string(p.x) + ", " +
                     std::to_string(p.y));
        const json e = explain(p.view, p.x, p.y, {"--like-reference", "all"});
        const json& model = e["reference_model"];
        ASSERT_TRUE(model.is_object());
        const bool modelCovers = model["covered"].get<bool>();
        EXPECT_EQ(modelCovers, e["software"]["depth"].get<float>() < 1.0f);
        if (!model["object"].is_null()) {
            EXPECT_EQ(model["centre_distance"].get<double>() >= 0.0, modelCovers);
        }
        // Under all rules the software picture is the model's, so where the
        // model does not cover the pixel both show the background.
        for (int c = 0; c < 3; ++c) {
            EXPECT_EQ(bitsOf(model["color"][c]), bitsOf(e["software"]["color"][c])) << c;
        }
        if (e["coverage"] == "neither") {
            EXPECT_EQ(model["step_difference"], json::array({0, 0, 0}));
        }
        if (e["coverage"] != "both") continue;
        ++compared;
        for (int c = 0; c < 3; ++c) {
            const int predicted = model["window_bytes"][c].get<int>();
            const int real = e["reference"]["window_bytes"][c].get<int>();
            EXPECT_LE(std::abs(predicted - real), 1) << c;
            EXPECT_EQ(model["step_difference"][c].get<int>(), std::abs(predicted - real));
        }
    }
    EXPECT_GE(compared, 8);  // the table holds what it says it does
}

// --like-reference all takes the rules that hold for the OpenGL found, as
// the comparison does: every rule for llvmpipe, all but subpixel for
// softpipe; the text's first line and the JSON list the rules taken.
TEST_F(ExplainTool, LikeReferenceAllFitsTheOpenGLFound) {
    const std::string every = "sampling,ambient,lights,viewer,specular,vertex,perspective,subpixel";
    const std::string withoutGrid = "sampling,ambient,lights,viewer,specular,vertex,perspective";
    const struct {
        const char* driver;
        const std::string& rules;
    } cases[] = {{"llvmpipe", every}, {"softpipe", withoutGrid}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.driver);
        const std::vector<std::string> env = {std::string("GALLIUM_DRIVER=") + c.driver};
        const std::vector<std::string> pixel = {"--width",          "160", "--height", "120",
                                                "--like-reference", "all", "25",       "65"};
        std::vector<std::string> args = {RW_EXPLAIN_BINARY, "--json"};
        args.insert(args.end(), pixel.begin(), pixel.end());
        const ToolRun json = runTool(args, temp_->path(), "", 60.0, {}, "", env);
        ASSERT_EQ(json.status, 0) << json.err;
        const nlohmann::json e = nlohmann::json::parse(json.out);
        std::string taken;
        for (const nlohmann::json& rule : e.at("like_reference")) {
            taken += (taken.empty() ? "" : ",") + rule.get<std::string>();
        }
        EXPECT_EQ(taken, c.rules);
        const std::string renderer = e.at("reference_implementation").at("renderer");
        EXPECT_EQ(renderer.rfind(c.driver, 0), 0u) << renderer;

        args = {RW_EXPLAIN_BINARY};
        args.insert(args.end(), pixel.begin(), pixel.end());
        const ToolRun text = runTool(args, temp_->path(), "", 60.0, {}, "", env);
        ASSERT_EQ(text.status, 0) << text.err;
        EXPECT_EQ(text.out.rfind("like the reference              " + c.rules + "\n", 0), 0u)
            << text.out.substr(0, 200);
    }
}
