#pragma once

#include "raster/like_reference/reference_rules.h"

// The rules as the page hands them to the module: bit i for the rule
// kReferenceRuleNames[i], and in bits 8 to 11 the grid's sub-pixel bits
// for the subpixel rule (0 for its default, kDefaultSubpixelBits).
inline ReferenceRules pageRules(int encoded) {
    ReferenceRules rules;
    for (int i = 0; i < kReferenceRuleCount; ++i) {
        setReferenceRule(rules, i, (encoded >> i & 1) != 0);
    }
    const int bits = encoded >> 8 & 0xf;
    if (rules.subpixel != 0 && bits >= 1 && bits <= kMaxSubpixelBits) rules.subpixel = bits;
    return rules;
}
