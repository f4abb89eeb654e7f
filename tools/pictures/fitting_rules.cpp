#include "tools/pictures/fitting_rules.h"

namespace {

bool startsWith(const std::string& text, const char* prefix) {
    return text.rfind(prefix, 0) == 0;
}

}  // namespace

bool rulesKnownFor(const GlImplementation& gl, ReferenceRules* rules) {
    *rules = firstReferenceRules(kReferenceRuleCount);
    if (startsWith(gl.renderer, "llvmpipe")) return true;
    rules->subpixel = 0;
    return startsWith(gl.renderer, "softpipe");
}

ReferenceRules rulesFitting(const GlImplementation& gl, std::string* note) {
    note->clear();
    ReferenceRules rules;
    if (rulesKnownFor(gl, &rules)) return rules;
    *note =
        "the reference's OpenGL is neither llvmpipe nor softpipe: --like-reference all takes "
        "the rules that do not depend on it, all but subpixel (llvmpipe's grid); "
        "rasterwork-compare --fit-rules fits them to it\n";
    return rules;
}

std::string fittedRulesNote(std::size_t views) {
    return "the reference's OpenGL is neither llvmpipe nor softpipe: --like-reference all takes "
           "the rules fitted to it over " +
           std::to_string(views) + " views (as --fit-rules finds them)\n";
}

std::string rulesTakenText(const ReferenceRules& rules) {
    return "like the reference              " + referenceRulesText(rules) + "\n";
}
