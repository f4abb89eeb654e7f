#include "raster/like_reference/reference_rules.h"

const char* const kReferenceRuleNames[kReferenceRuleCount] = {
    "sampling", "ambient", "lights", "viewer", "specular", "vertex", "perspective", "subpixel"};

namespace {

constexpr bool ReferenceRules::*kSwitches[] = {
    &ReferenceRules::sampling,    &ReferenceRules::ambient,  &ReferenceRules::lights,
    &ReferenceRules::viewer,      &ReferenceRules::specular, &ReferenceRules::vertex,
    &ReferenceRules::perspective, &ReferenceRules::subpixel};
static_assert(sizeof kSwitches / sizeof kSwitches[0] == kReferenceRuleCount, "one switch per name");

}  // namespace

bool& referenceRule(ReferenceRules& rules, int index) {
    return rules.*kSwitches[index];
}

ReferenceRules firstReferenceRules(int count) {
    ReferenceRules rules;
    for (int i = 0; i < count && i < kReferenceRuleCount; ++i) referenceRule(rules, i) = true;
    return rules;
}

bool parseReferenceRules(const std::string& text, ReferenceRules* rules, std::string* bad) {
    *rules = ReferenceRules();
    if (text == "all") {
        *rules = firstReferenceRules(kReferenceRuleCount);
        return true;
    }
    std::size_t start = 0;
    for (;;) {
        const std::size_t comma = text.find(',', start);
        const std::string name = text.substr(start, comma - start);
        int index = -1;
        for (int i = 0; i < kReferenceRuleCount; ++i) {
            if (name == kReferenceRuleNames[i]) index = i;
        }
        if (index < 0) {
            *bad = name;
            return false;
        }
        referenceRule(*rules, index) = true;
        if (comma == std::string::npos) return true;
        start = comma + 1;
    }
}

std::string referenceRulesText(const ReferenceRules& rules) {
    std::string text;
    ReferenceRules copy = rules;
    for (int i = 0; i < kReferenceRuleCount; ++i) {
        if (!referenceRule(copy, i)) continue;
        if (!text.empty()) text += ",";
        text += kReferenceRuleNames[i];
    }
    return text.empty() ? "none" : text;
}
