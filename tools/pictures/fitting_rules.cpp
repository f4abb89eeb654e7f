#include "tools/pictures/fitting_rules.h"

#include "inspect/json_values.h"

namespace {

bool startsWith(const std::string& text, const char* prefix) {
    return text.rfind(prefix, 0) == 0;
}

}  // namespace

ReferenceRules rulesFitting(const GlImplementation& gl, std::string* note) {
    note->clear();
    ReferenceRules rules = firstReferenceRules(kReferenceRuleCount);
    if (startsWith(gl.renderer, "llvmpipe")) return rules;
    rules.subpixel = false;
    if (startsWith(gl.renderer, "softpipe")) return rules;
    *note =
        "the reference's OpenGL is neither llvmpipe nor softpipe: --like-reference all takes "
        "the rules that do not depend on it, all but subpixel (llvmpipe's grid)\n";
    return rules;
}

std::string rulesTakenText(const ReferenceRules& rules) {
    return "like the reference              " + referenceRulesText(rules) + "\n";
}

std::string rulesTakenJsonMember(const ReferenceRules& rules) {
    std::string list;
    ReferenceRules copy = rules;
    for (int i = 0; i < kReferenceRuleCount; ++i) {
        if (!referenceRule(copy, i)) continue;
        list += (list.empty() ? "" : ", ") + jsonText(kReferenceRuleNames[i]);
    }
    return "\"like_reference\": [" + list + "]";
}
