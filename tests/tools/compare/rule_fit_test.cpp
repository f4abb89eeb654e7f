// The fit's decisions against scorers whose every answer is known: a score
// made of what each rule on adds or takes away, and the grid's score by bits.
#include "tools/compare/rule_fit.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

namespace {

// A scorer: 100 pixels, minus (or plus) each rule's effect when it is on, and
// the grid's effect by its bits; steps likewise.
struct Oracle {
    std::array<FitScore, kSubpixelRule> ruleEffect{};
    std::array<FitScore, kMaxSubpixelBits + 1> gridEffect{};
    std::vector<ReferenceRules> asked;

    RulesScore scorer() {
        return [this](const ReferenceRules& rules, FitScore* score) {
            asked.push_back(rules);
            *score = FitScore{100, 1000};
            for (int i = 0; i < kSubpixelRule; ++i) {
                if (!referenceRuleOn(rules, i)) continue;
                score->differing += ruleEffect[i].differing;
                score->steps += ruleEffect[i].steps;
            }
            score->differing += gridEffect[rules.subpixel].differing;
            score->steps += gridEffect[rules.subpixel].steps;
            return true;
        };
    }
};

TEST(RuleFit, TakesWhatLowersOrTiesAndTheGridThatLeavesLeast) {
    const FitScore none{0, 0};
    const struct {
        const char* what;
        std::array<FitScore, kSubpixelRule> rules;
        std::array<FitScore, kMaxSubpixelBits + 1> grids;
        std::string fitted;
        const char* grid;  // what the OpenGL does
    } cases[] = {
        {"every rule lowers, 8 bits least",
         {{{-9, 0}, {-8, 0}, {-7, 0}, {-6, 0}, {-5, 0}, {-4, 0}, {0, -30}}},
         {{none, {50, 0}, {40, 0}, {30, 0}, {20, 0}, {10, 0}, {5, 0}, {1, 0}, {-2, 0}}},
         "sampling,ambient,lights,viewer,specular,vertex,perspective,subpixel",
         "snaps corners to 1/256 pixel"},
        {"a rule that raises is left, a tie taken; 4 bits least",
         {{{-9, 0}, {3, -50}, {0, 0}, {-1, 0}, {0, 0}, {-4, 0}, {0, 10}}},
         {{none, {5, 0}, {2, 0}, {1, 0}, {-3, 0}, {0, 0}, {0, 0}, {0, 0}, {0, 0}}},
         "sampling,lights,viewer,specular,vertex,subpixel=4",
         "snaps corners to 1/16 pixel"},
        {"no grid does better than none; perspective untried without vertex",
         {{{-9, 0}, {-1, 0}, {-1, 0}, {-1, 0}, {-1, 0}, {2, 0}, {-50, -50}}},
         {{none, {1, 0}, {1, 0}, {1, 0}, {1, 0}, {0, 1}, {0, 0}, {0, 0}, {0, 0}}},
         "sampling,ambient,lights,viewer,specular",
         "snaps corners to no grid of 1 to 8 bits"},
        {"of grids that leave the same the finest",
         {{{-9, 0}, {-1, 0}, {-1, 0}, {-1, 0}, {-1, 0}, {-1, 0}, {0, 0}}},
         {{none, {1, 0}, {-1, 0}, {-1, 0}, {-1, 0}, {-1, 0}, {-1, 0}, {0, 0}, {0, 0}}},
         "sampling,ambient,lights,viewer,specular,vertex,perspective,subpixel=6",
         "snaps corners to 1/64 pixel"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Oracle oracle;
        oracle.ruleEffect = c.rules;
        oracle.gridEffect = c.grids;
        RuleFit fit;
        ASSERT_TRUE(fitReferenceRules(oracle.scorer(), &fit));
        EXPECT_EQ(referenceRulesText(fit.fitted), c.fitted);
        const bool perspectiveTried = fit.fitted.vertex;
        EXPECT_EQ(oracle.asked.size(), 1u + kSubpixelRule - !perspectiveTried + kMaxSubpixelBits);
        EXPECT_EQ(fit.rules[6].tried, perspectiveTried);
        // Each trial's figures are the scorer's for the rules before it.
        for (int i = 0; i < kSubpixelRule; ++i) {
            if (!fit.rules[i].tried) continue;
            EXPECT_EQ(fit.rules[i].with.differing - fit.rules[i].without.differing,
                      c.rules[i].differing)
                << i;
        }

        const nlohmann::json json =
            nlohmann::json::parse("{" + ruleFitJsonMembers(fit, FitBasis{13, 12, 1}) + "}");
        std::string listed;
        for (const nlohmann::json& name : json.at("fitted_rules")) {
            listed += (listed.empty() ? "" : ",") + name.get<std::string>();
        }
        EXPECT_EQ(listed, c.fitted);
        EXPECT_EQ(json.at("fit").size(), 8u);
        EXPECT_EQ(json.at("fit")[7].at("bits"), fit.fitted.subpixel);
        EXPECT_EQ(json.at("views_fitted"), 12);
        const std::string text = ruleFitText(fit, FitBasis{13, 12, 1});
        EXPECT_NE(text.find("fitted rules                    " + c.fitted + "\n"),
                  std::string::npos)
            << text;
        EXPECT_NE(text.find("12 views (1 crossing the near plane left out)"), std::string::npos);
        EXPECT_EQ(fittedRuleDoes(fit, kSubpixelRule), c.grid);
        EXPECT_NE(text.find(c.grid), std::string::npos);
    }
}

}  // namespace
