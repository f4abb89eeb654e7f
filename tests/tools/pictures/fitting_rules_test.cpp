#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>

#include "tools/pictures/fitting_rules.h"
#include "tools/pictures/reference_implementation.h"

namespace {

// --like-reference all follows the renderer the reference's OpenGL names:
// llvmpipe's grid only for llvmpipe, and for an implementation whose rules
// are not known (which rasterwork-compare fits) a line.
TEST(FittingRules, AllTakesTheRulesThatHoldForTheRendererFound) {
    const std::string every = "sampling,ambient,lights,viewer,specular,vertex,perspective,subpixel";
    const std::string withoutGrid = "sampling,ambient,lights,viewer,specular,vertex,perspective";
    const struct {
        const char* renderer;
        const std::string& rules;
        bool noted;
    } cases[] = {
        {"llvmpipe (LLVM 15.0.6, 256 bits)", every, false},
        {"llvmpipe", every, false},
        {"softpipe", withoutGrid, false},
        {"Mesa Intel(R) UHD Graphics 620 (KBL GT2)", withoutGrid, true},
        {"NVIDIA GeForce RTX 3060/PCIe/SSE2", withoutGrid, true},
        {"virgl (llvmpipe (LLVM 15.0.6, 256 bits))", withoutGrid, true},
        {"", withoutGrid, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.renderer);
        std::string note = "left over";
        const ReferenceRules rules =
            rulesFitting(GlImplementation{"vendor", c.renderer, "4.5", "egl"}, &note);
        EXPECT_EQ(referenceRulesText(rules), c.rules);
        ReferenceRules known;
        EXPECT_EQ(rulesKnownFor(GlImplementation{"vendor", c.renderer, "4.5", "egl"}, &known),
                  !c.noted);
        EXPECT_EQ(referenceRulesText(known), c.rules);
        EXPECT_EQ(rulesTakenText(rules), "like the reference              " + c.rules + "\n");
        if (c.noted) {
            EXPECT_NE(note.find("all but subpixel"), std::string::npos) << note;
            EXPECT_NE(note.find("--fit-rules"), std::string::npos) << note;
            EXPECT_EQ(note.find('\n'), note.size() - 1) << note;  // one line
        } else {
            EXPECT_EQ(note, "");
        }
    }
}

// What the implementation says of itself reaches the report escaped: valid
// JSON whatever the bytes, and nothing in the text line that acts on a
// terminal.
TEST(FittingRules, TheImplementationIsNamedSafely) {
    const GlImplementation gl{"Mesa \"X\"", "llvmpipe\n\x1b[2J", "4.5\\", "egl"};
    const nlohmann::json member = nlohmann::json::parse("{" + implementationJsonMember(gl) + "}")
                                      .at("reference_implementation");
    EXPECT_EQ(member.at("vendor"), gl.vendor);
    EXPECT_EQ(member.at("renderer"), gl.renderer);
    EXPECT_EQ(member.at("version"), gl.version);
    EXPECT_EQ(member.at("platform"), "egl");
    const std::string text = implementationText(gl);
    EXPECT_EQ(text, "llvmpipe\\n\\x1b[2J from Mesa \"X\", OpenGL 4.5\\\\, off screen through EGL");
    EXPECT_EQ(implementationText({"Mesa/X.org", "softpipe", "3.3", "x11"}),
              "softpipe from Mesa/X.org, OpenGL 3.3, through GLX on the X display");
}

}  // namespace
