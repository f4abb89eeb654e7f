#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "tools/snapshot/snapshot_options.h"
#include "view/view_state.h"

namespace {

using Args = std::vector<std::string>;
using Outcome = ParsedArguments::Outcome;

TEST(SnapshotOptions, DefaultsAreTheViewerStartViewWhateverTheGlobalsHold) {
    angleZ = 5.0f;
    zoom = -3.0f;
    panX = 17.0f;
    const ParsedArguments parsed = parseSnapshotArguments({"--png", "out.png"});
    resetViewState();
    ASSERT_EQ(parsed.outcome, Outcome::Run) << parsed.error;
    const SnapshotOptions& o = parsed.options;
    EXPECT_EQ(o.width, 480);
    EXPECT_EQ(o.height, 480);
    EXPECT_EQ(o.view.angleZ, -135.0f);
    EXPECT_EQ(o.view.angleX, -60.0f);
    EXPECT_EQ(o.view.zoom, 0.25f);
    EXPECT_EQ(o.view.panX, 0.0f);
    EXPECT_EQ(o.view.panY, 0.0f);
    EXPECT_EQ(o.renderer, SnapshotRenderer::Software);
    EXPECT_EQ(o.softwarePath, SoftwarePath::Fast);
    EXPECT_EQ(o.threads, defaultSnapshotThreads());
    EXPECT_GE(o.threads, 1);
    EXPECT_EQ(o.pngPath, "out.png");
    EXPECT_TRUE(o.colorPfmPath.empty());
    EXPECT_TRUE(o.depthPfmPath.empty());
}

TEST(SnapshotOptions, ReadsEveryOptionInBothSpellings) {
    const ParsedArguments parsed = parseSnapshotArguments(
        {"--width=640",     "--height",   "360",      "--angle-z",         "-75.5",
         "--angle-x=12.25", "--zoom",     "0.1",      "--pan-x",           "-3",
         "--pan-y=1e2",     "--renderer", "software", "--software-path",   "plain",
         "--threads=3",     "--png",      "a.png",    "--color-pfm=c.pfm", "--depth-pfm",
         "-d.pfm"});
    ASSERT_EQ(parsed.outcome, Outcome::Run) << parsed.error;
    const SnapshotOptions& o = parsed.options;
    EXPECT_EQ(o.width, 640);
    EXPECT_EQ(o.height, 360);
    EXPECT_EQ(o.view.angleZ, -75.5f);
    EXPECT_EQ(o.view.angleX, 12.25f);
    EXPECT_EQ(o.view.zoom, 0.1f);  // the float nearest to 0.1, not a double rounded twice
    EXPECT_EQ(o.view.panX, -3.0f);
    EXPECT_EQ(o.view.panY, 100.0f);
    EXPECT_EQ(o.softwarePath, SoftwarePath::Plain);
    EXPECT_EQ(o.threads, 3);
    EXPECT_EQ(o.pngPath, "a.png");
    EXPECT_EQ(o.colorPfmPath, "c.pfm");
    EXPECT_EQ(o.depthPfmPath, "-d.pfm");  // a value may start with a dash
}

// The reference reaches OpenGL however it can unless told; "all" is told
// apart from the list of every rule, which it may later narrow.
TEST(SnapshotOptions, ReadTheGlPlatformAndWhetherAllRulesWereAskedFor) {
    const struct {
        std::vector<std::string> args;
        GlPlatform platform;
    } platforms[] = {
        {{"--renderer", "opengl", "--png", "p"}, GlPlatform::Auto},
        {{"--renderer", "opengl", "--gl-platform", "auto", "--png", "p"}, GlPlatform::Auto},
        {{"--renderer", "opengl", "--gl-platform=egl", "--png", "p"}, GlPlatform::Egl},
        {{"--renderer", "opengl", "--gl-plat", "x11", "--png", "p"}, GlPlatform::X11},
    };
    for (const auto& c : platforms) {
        const ParsedArguments parsed = parseSnapshotArguments(c.args);
        ASSERT_EQ(parsed.outcome, Outcome::Run) << parsed.error;
        EXPECT_TRUE(parsed.options.glPlatform == c.platform) << c.args[3];
    }

    ParsedArguments parsed = parseSnapshotArguments({"--like-reference", "all", "--png", "p"});
    ASSERT_EQ(parsed.outcome, Outcome::Run) << parsed.error;
    EXPECT_TRUE(parsed.options.likeReferenceAll);
    const std::string every = referenceRulesText(firstReferenceRules(kReferenceRuleCount));
    EXPECT_EQ(referenceRulesText(parsed.options.likeReference), every);
    parsed = parseSnapshotArguments({"--like-reference", every, "--png", "p"});
    ASSERT_EQ(parsed.outcome, Outcome::Run) << parsed.error;
    EXPECT_FALSE(parsed.options.likeReferenceAll);
    EXPECT_EQ(referenceRulesText(parsed.options.likeReference), every);
    // A grid of 1 to 8 bits, named back as given; 8 bits is plain subpixel.
    for (int bits = 1; bits <= 8; ++bits) {
        const std::string grid = "subpixel=" + std::to_string(bits);
        parsed = parseSnapshotArguments({"--like-reference", "vertex," + grid, "--png", "p"});
        ASSERT_EQ(parsed.outcome, Outcome::Run) << parsed.error;
        EXPECT_EQ(parsed.options.likeReference.subpixel, bits);
        EXPECT_EQ(referenceRulesText(parsed.options.likeReference),
                  bits == 8 ? "vertex,subpixel" : "vertex," + grid);
    }
}

TEST(SnapshotOptions, LimitsAreInclusiveAndADashNamesStandardOutput) {
    ParsedArguments parsed = parseSnapshotArguments(
        {"--width", "16384", "--height", "+1", "--renderer", "opengl", "--png", "-"});
    ASSERT_EQ(parsed.outcome, Outcome::Run) << parsed.error;
    EXPECT_EQ(parsed.options.width, 16384);
    EXPECT_EQ(parsed.options.height, 1);
    EXPECT_EQ(parsed.options.renderer, SnapshotRenderer::OpenGL);
    EXPECT_EQ(parsed.options.pngPath, "-");

    parsed = parseSnapshotArguments({"--angle-z", "-0", "--zoom", "1e-45", "--png", "p"});
    ASSERT_EQ(parsed.outcome, Outcome::Run) << parsed.error;
    EXPECT_TRUE(std::signbit(parsed.options.view.angleZ));
    EXPECT_GT(parsed.options.view.zoom, 0.0f);  // the smallest subnormal is still finite
}

// The GNU conventions an accepted command line may use; the refused ones
// are in the table below.
TEST(SnapshotOptions, AcceptGnuStyleCommandLines) {
    const struct {
        Args args;
        Outcome outcome;
        int width;  // when the outcome is Run
    } cases[] = {
        {{"--wid", "64", "--png", "p"}, Outcome::Run, 64},  // a unique prefix
        {{"--w=64", "--pn=p"}, Outcome::Run, 64},
        {{"--png", "p", "--"}, Outcome::Run, 480},             // "--" ends the options
        {{"--png", "--", "--width", "64"}, Outcome::Run, 64},  // a value may be "--"
        {{"--help"}, Outcome::Help, 0},
        {{"-h"}, Outcome::Help, 0},
        {{"--hel"}, Outcome::Help, 0},
        {{"--png", "a.png", "--help"}, Outcome::Help, 0},
        {{"--width", "64", "-h", "--bogus"}, Outcome::Help, 0},  // read in order
        {{"--vers"}, Outcome::Version, 0},
    };
    for (const auto& c : cases) {
        std::string joined;
        for (const std::string& a : c.args) joined += "[" + a + "]";
        const ParsedArguments parsed = parseSnapshotArguments(c.args);
        EXPECT_EQ(parsed.outcome, c.outcome) << joined << " gave: " << parsed.error;
        if (c.outcome == Outcome::Run) {
            EXPECT_EQ(parsed.options.width, c.width) << joined;
        }
    }

    const std::string usage = snapshotUsage();
    for (const char* option :
         {"--width", "--height", "--angle-z", "--angle-x", "--zoom", "--pan-x", "--pan-y",
          "--renderer", "--software-path", "--threads", "--png", "--color-pfm", "--depth-pfm",
          "--depth-png", "--faces-png", "--fragments-png", "--help", "Exit status"}) {
        EXPECT_NE(usage.find(option), std::string::npos) << option;
    }
}

struct BadCase {
    Args args;
    std::string expected;  // part of the message
};

// One or more cases for every class of bad argument; shared with the tests
// that run the program.
const std::vector<BadCase>& badCases() {
    static const std::vector<BadCase> cases = {
        {{"--frobnicate", "--png", "p"}, "unknown option '--frobnicate'"},
        {{"--png", "p", "extra"}, "unexpected argument 'extra'"},
        {{"-w", "5", "--png", "p"}, "unknown option '-w' (see --help)"},
        {{"--widht", "5", "--png", "p"}, "unknown option '--widht'; did you mean '--width'?"},
        {{"--hieght=5", "--png", "p"}, "unknown option '--hieght'; did you mean '--height'?"},
        {{"--pan", "1", "--png", "p"},
         "option '--pan' is ambiguous: it may be '--pan-x', '--pan-y'"},
        {{"--help=x"}, "option '--help' takes no value"},
        {{"--bogus", "--help"}, "unknown option '--bogus' (see --help)"},
        {{"--png", "p", "--", "--width", "5"}, "unexpected argument '--width'"},
        {{"--png", "p", "-"}, "unexpected argument '-'"},
        {{"--png"}, "option '--png' needs a value"},
        {{"--png", "p", "--width"}, "option '--width' needs a value"},
        {{"--width", "abc", "--png", "p"}, "expected a whole number"},
        {{"--width", "480px", "--png", "p"}, "expected a whole number"},
        {{"--height", "4.5", "--png", "p"}, "expected a whole number"},
        {{"--height", " 480", "--png", "p"}, "expected a whole number"},
        {{"--width=", "--png", "p"}, "expected a whole number"},
        {{"--zoom", "1.5x", "--png", "p"}, "expected a number"},
        {{"--pan-x", "", "--png", "p"}, "expected a number"},
        {{"--pan-y", " 1", "--png", "p"}, "expected a number"},
        {{"--angle-z", "nan", "--png", "p"}, "expected a finite number"},
        {{"--angle-x", "-inf", "--png", "p"}, "expected a finite number"},
        {{"--zoom", "infinity", "--png", "p"}, "expected a finite number"},
        {{"--pan-x", "1e39", "--png", "p"}, "expected a finite number"},
        {{"--width", "0", "--png", "p"}, "--width must be between 1 and 16384, got '0'"},
        {{"--height", "-5", "--png", "p"}, "--height must be between 1 and 16384, got '-5'"},
        {{"--width", "16385", "--png", "p"}, "between 1 and 16384"},
        {{"--height", "99999999999999999999", "--png", "p"}, "between 1 and 16384"},
        {{"--renderer", "vulkan", "--png", "p"}, "unknown renderer 'vulkan'"},
        {{"--renderer", "Software", "--png", "p"}, "unknown renderer 'Software'"},
        {{"--software-path", "slow", "--png", "p"}, "unknown software path 'slow'"},
        {{"--threads", "0", "--png", "p"}, "--threads must be between 1 and 256, got '0'"},
        {{"--threads", "257", "--png", "p"}, "between 1 and 256"},
        {{"--threads", "2.5", "--png", "p"}, "expected a whole number"},
        {{}, "nothing to write"},
        {{"--width", "64"}, "nothing to write"},
        {{"--png", "same", "--depth-pfm", "same"}, "--png and --depth-pfm name the same file"},
        {{"--depth-png", "x", "--fragments-png", "x"},
         "--depth-png and --fragments-png name the same file 'x'"},
        {{"--renderer", "opengl", "--faces-png", "f"}, "it cannot be used with --renderer opengl"},
        {{"--png="}, "--png needs a file name"},
        {{"--png", "a", "--png", "b"}, "option '--png' is given more than once"},
        {{"--width", "7", "--width=7", "--png", "p"}, "option '--width' is given more than once"},
        {{"--png", "-", "--color-pfm", "-"}, "--png and --color-pfm name the same file '-'"},
        {{"--zoom", "1\n2", "--png", "p"}, "invalid value '1\\n2' for --zoom"},
        {{"--like-reference", "shadows", "--png", "p"}, "unknown rule 'shadows'"},
        {{"--like-reference", "sampling,,vertex", "--png", "p"}, "unknown rule ''"},
        {{"--like-reference", "Sampling", "--png", "p"}, "expected 'all' or a comma-separated"},
        {{"--like-reference", "subpixel=0", "--png", "p"}, "invalid grid 'subpixel=0'"},
        {{"--like-reference", "subpixel=9", "--png", "p"}, "BITS from 1 to 8"},
        {{"--like-reference", "subpixel=04", "--png", "p"}, "invalid grid 'subpixel=04'"},
        {{"--like-reference", "subpixel=", "--png", "p"}, "invalid grid 'subpixel='"},
        {{"--like-reference", "subpixel=2,subpixel=3", "--png", "p"}, "invalid grid 'subpixel=3'"},
        {{"--like-reference", "all", "--renderer", "opengl", "--png", "p"},
         "no effect with --renderer opengl"},
        {{"--renderer", "opengl", "--gl-platform", "wayland", "--png", "p"},
         "unknown platform 'wayland'"},
        {{"--renderer", "opengl", "--gl-platform", "EGL", "--png", "p"}, "unknown platform 'EGL'"},
        {{"--gl-platform", "egl", "--png", "p"}, "no effect with the software renderer"},
        {{"--stop-after", "3:0", "--png", "p"}, "the scene has no object 3 (objects 0 to 2)"},
        {{"--stop-after", "0:144", "--png", "p"}, "object 0 has no face 144 (faces 0 to 143)"},
        {{"--stop-after", "0:1:64", "--height", "64", "--png", "p"}, "row 64 is outside the frame"},
        {{"--stop-after", "0", "--png", "p"}, "expected OBJECT:FACE or OBJECT:FACE:ROW"},
        {{"--stop-after", "0:-1", "--png", "p"}, "expected OBJECT:FACE or OBJECT:FACE:ROW"},
        {{"--stop-after", "0:1:2:3", "--png", "p"}, "expected OBJECT:FACE or OBJECT:FACE:ROW"},
        {{"--stop-after", "0:1:2", "--renderer", "opengl", "--png", "p"},
         "with --renderer opengl give OBJECT:FACE only"},
    };
    return cases;
}

TEST(SnapshotOptions, RejectsEveryBadArgumentClassWithOneLine) {
    for (const BadCase& bad : badCases()) {
        std::string joined;
        for (const std::string& a : bad.args) joined += "[" + a + "]";
        const ParsedArguments parsed = parseSnapshotArguments(bad.args);
        EXPECT_EQ(parsed.outcome, Outcome::Error) << joined;
        EXPECT_NE(parsed.error.find(bad.expected), std::string::npos)
            << joined << " gave: " << parsed.error;
        EXPECT_EQ(parsed.error.find('\n'), std::string::npos) << joined;
    }
}

}  // namespace

// The command-line tests reuse the table.
std::vector<std::vector<std::string>> badArgumentLists() {
    std::vector<std::vector<std::string>> lists;
    for (const BadCase& bad : badCases()) lists.push_back(bad.args);
    return lists;
}
