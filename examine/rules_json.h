#pragma once

#include <string>

#include "raster/like_reference/reference_rules.h"

// The rules taken as a JSON member, as --like-reference names them:
// "like_reference": [names].
std::string rulesTakenJsonMember(const ReferenceRules& rules);
