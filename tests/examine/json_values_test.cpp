// JSON values as the tools and the page write them: numbers that read back
// to the same float or double, null where JSON has no number, texts escaped.
#include <gtest/gtest.h>

#include <cstdlib>
#include <limits>
#include <string>

#include "examine/json_values.h"
#include "examine/rules_json.h"

namespace {

TEST(JsonValues, NumbersReadBackAndNonFiniteOnesAreNull) {
    for (const float value : {0.1f, -3.4028235e38f, 1.17549435e-38f, 0.5f}) {
        EXPECT_EQ(std::strtof(jsonNumber(value).c_str(), nullptr), value) << value;
    }
    for (const double value : {0.1, 1.0 / 3.0, -2.2250738585072014e-308}) {
        EXPECT_EQ(std::strtod(jsonDouble(value).c_str(), nullptr), value) << value;
    }
    const double infinity = std::numeric_limits<double>::infinity();
    for (const double value : {infinity, -infinity, std::numeric_limits<double>::quiet_NaN()}) {
        EXPECT_EQ(jsonNumber(value), "null");
        EXPECT_EQ(jsonDouble(value), "null");
    }
    EXPECT_EQ(nineDigits(infinity), "inf");
    EXPECT_EQ(jsonFloats({0.5f, std::numeric_limits<float>::infinity()}), "[0.5, null]");
    EXPECT_EQ(jsonInts({1, -2}), "[1, -2]");
    EXPECT_EQ(jsonInts({}), "[]");
    std::string text = "{\"rgb\": ";
    appendJsonInts(text, {std::numeric_limits<int>::min(), std::numeric_limits<int>::max(), 0});
    EXPECT_EQ(text, "{\"rgb\": [-2147483648, 2147483647, 0]");
}

TEST(JsonValues, TextsEscapeQuotesBackslashesAndControlCharacters) {
    EXPECT_EQ(jsonText("a\"b\\c\n\x01"), "\"a\\\"b\\\\c\\u000a\\u0001\"");
    EXPECT_EQ(jsonText(""), "\"\"");
}

// The rules taken are named as --like-reference reads them.
TEST(JsonValues, RulesTakenAreNamedAsTheOptionReadsThem) {
    EXPECT_EQ(rulesTakenJsonMember(ReferenceRules()), "\"like_reference\": []");
    EXPECT_EQ(rulesTakenJsonMember(firstReferenceRules(2)),
              "\"like_reference\": [\"sampling\", \"ambient\"]");
    ReferenceRules grid;
    grid.subpixel = 4;
    EXPECT_EQ(rulesTakenJsonMember(grid), "\"like_reference\": [\"subpixel=4\"]");
}

}  // namespace
