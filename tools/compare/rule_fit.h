#pragma once

#include <array>
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "raster/like_reference/reference_rules.h"
#include "view/view.h"

// What a set of the reference's rules leaves over the views fitted: the
// differing pixels (covered by one renderer only or off by more than the
// tolerance) and, to tell apart sets that leave the same pixels, the 8-bit
// steps of every channel where both renderers cover. Less is better, the
// pixels first.
struct FitScore {
    long differing = 0;
    long long steps = 0;

    bool operator<(const FitScore& other) const {
        return differing != other.differing ? differing < other.differing : steps < other.steps;
    }
    bool operator==(const FitScore& other) const {
        return differing == other.differing && steps == other.steps;
    }
};

// Draws the software pictures of every view fitted under `rules` and
// scores them against the reference's; false when it cannot (no memory).
using RulesScore = std::function<bool(const ReferenceRules& rules, FitScore* score)>;

// One rule before the grid, tried on top of the rules taken before it.
struct RuleTrial {
    bool tried = false;  // perspective is not tried without vertex, which it refines
    FitScore without;
    FitScore with;
    bool taken = false;
};

// The fit: each rule in ladder order, then the grid.
struct RuleFit {
    std::array<RuleTrial, kSubpixelRule> rules;
    std::array<FitScore, kMaxSubpixelBits + 1> grids;  // by bits, 0 for none
    ReferenceRules fitted;
};

// Fits the rules greedily along the ladder: from none, each rule in turn is
// tried on top of those taken and taken unless it leaves more than without
// (a tie takes it: the rules are OpenGL's own, and nothing seen speaks
// against it); then every grid, none and 1 to kMaxSubpixelBits bits, on top
// of them, and the one that leaves least is taken (of equals no grid, then
// the finest). 1 + 7 + 8 scorings. False when a scoring fails.
bool fitReferenceRules(const RulesScore& score, RuleFit* fit);

// The views --fit-rules fits over by default: `start` and a turntable of 12
// about Z, half a step (15 degrees) on from it so that no view repeats it.
std::vector<View> defaultFitViews(const View& start);

// What the fitted OpenGL does under rule `index`, in a few words: the
// reference's rule where it was taken, the software renderer's own where
// not ("samples pixel centres", "snaps corners to 1/16 pixel", ...).
std::string fittedRuleDoes(const RuleFit& fit, int index);

// What a fit was made over: the views given, those that took part, and the
// tolerance a pixel both renderers cover differs beyond.
struct FitBasis {
    std::size_t views = 0;
    std::size_t viewsFitted = 0;
    int tolerance = 1;
};

// The fit for people: one row per rule with the differing pixels without
// and with it and what the OpenGL does, the grids' rows, and the fitted
// rules as --like-reference takes them.
std::string ruleFitText(const RuleFit& fit, const FitBasis& basis);

// The same as JSON members: "fitted_rules" (a list as --like-reference
// takes it), "fit" (one object per rule), "views", "views_fitted" and
// "tolerance".
std::string ruleFitJsonMembers(const RuleFit& fit, const FitBasis& basis);
