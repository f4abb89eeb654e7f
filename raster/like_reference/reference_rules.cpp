#include "raster/like_reference/reference_rules.h"

const char* const kReferenceRuleNames[kReferenceRuleCount] = {
    "sampling", "ambient", "lights", "viewer", "specular", "vertex", "perspective", "subpixel"};

namespace {

constexpr bool ReferenceRules::*kSwitches[] = {
    &ReferenceRules::sampling,   &ReferenceRules::ambient,  &ReferenceRules::lights,
    &ReferenceRules::viewer,     &ReferenceRules::specular, &ReferenceRules::vertex,
    &ReferenceRules::perspective};
static_assert(sizeof kSwitches / sizeof kSwitches[0] == kSubpixelRule,
              "one switch per name before the grid");

// The grid "subpixel=BITS" names, or 0 when `name` is no such name.
int namedGrid(const std::string& name) {
    const std::string prefix = std::string(kReferenceRuleNames[kSubpixelRule]) + "=";
    if (name.size() != prefix.size() + 1 || name.compare(0, prefix.size(), prefix) != 0) return 0;
    const char digit = name.back();
    return digit >= '1' && digit <= '0' + kMaxSubpixelBits ? digit - '0' : 0;
}

}  // namespace

bool referenceRuleOn(const ReferenceRules& rules, int index) {
    return index == kSubpixelRule ? rules.subpixel != 0 : rules.*kSwitches[index];
}

void setReferenceRule(ReferenceRules& rules, int index, bool on) {
    if (index == kSubpixelRule) {
        rules.subpixel = on ? kDefaultSubpixelBits : 0;
    } else {
        rules.*kSwitches[index] = on;
    }
}

std::string referenceRuleName(const ReferenceRules& rules, int index) {
    std::string name = kReferenceRuleNames[index];
    if (index == kSubpixelRule && rules.subpixel != kDefaultSubpixelBits) {
        name += "=" + std::to_string(rules.subpixel);
    }
    return name;
}

ReferenceRules firstReferenceRules(int count) {
    ReferenceRules rules;
    for (int i = 0; i < count && i < kReferenceRuleCount; ++i) setReferenceRule(rules, i, true);
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
        const int grid = index == kSubpixelRule ? kDefaultSubpixelBits : namedGrid(name);
        if ((index < 0 && grid == 0) ||
            (grid != 0 && rules->subpixel != 0 && grid != rules->subpixel)) {
            *bad = name;
            return false;
        }
        if (grid != 0) {
            rules->subpixel = grid;
        } else {
            setReferenceRule(*rules, index, true);
        }
        if (comma == std::string::npos) return true;
        start = comma + 1;
    }
}

std::string referenceRulesText(const ReferenceRules& rules) {
    std::string text;
    for (int i = 0; i < kReferenceRuleCount; ++i) {
        if (!referenceRuleOn(rules, i)) continue;
        if (!text.empty()) text += ",";
        text += referenceRuleName(rules, i);
    }
    return text.empty() ? "none" : text;
}
