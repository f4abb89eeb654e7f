#include "examine/rules_json.h"

#include "examine/json_values.h"

std::string rulesTakenJsonMember(const ReferenceRules& rules) {
    std::string list;
    for (int i = 0; i < kReferenceRuleCount; ++i) {
        if (!referenceRuleOn(rules, i)) continue;
        list += (list.empty() ? "" : ", ") + jsonText(referenceRuleName(rules, i));
    }
    return "\"like_reference\": [" + list + "]";
}
