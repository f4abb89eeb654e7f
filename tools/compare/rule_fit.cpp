#include "tools/compare/rule_fit.h"

#include <cstdio>

#include "base/shown_text.h"
#include "examine/json_values.h"

namespace {

constexpr int kPerspectiveRule = 6;
constexpr int kFitTurntableViews = 12;

// What an OpenGL does under each rule before the grid: taken, not taken.
const char* const kDoes[kSubpixelRule][2] = {
    {"samples pixel centres", "samples at truncated edge positions"},
    {"takes the light model's ambient times the material's ambient",
     "takes the scene's ambient times the material's diffuse colour"},
    {"lights from directions (w = 0)", "lights from points at the lights' positions"},
    {"puts the viewer at infinity", "puts the viewer at the eye"},
    {"adds specular only where the light faces the surface",
     "adds specular whichever side the light is on"},
    {"lights per vertex in eye space", "lights per pixel"},
    {"interpolates colours perspective-correctly", "interpolates colours linearly on the screen"},
};

std::string gridName(int bits) {
    return bits == 0 ? "none" : "1/" + std::to_string(1 << bits) + " pixel";
}

std::string padded(std::string text, std::size_t width) {
    if (text.size() < width) text.append(width - text.size(), ' ');
    return text;
}

std::string count(long value, int width) {
    char text[32];
    std::snprintf(text, sizeof text, "%*ld", width, value);
    return text;
}

// Why a rule that leaves the same pixels either way was decided as it was.
std::string tieText(const RuleTrial& trial) {
    if (trial.with.differing != trial.without.differing) return "";
    if (trial.with == trial.without) return " (no pixel or step tells)";
    return " (the same pixels; " + std::to_string(trial.without.steps) + " steps without, " +
           std::to_string(trial.with.steps) + " with)";
}

}  // namespace

bool fitReferenceRules(const RulesScore& score, RuleFit* fit) {
    *fit = RuleFit();
    ReferenceRules taken;
    FitScore current;
    if (!score(taken, &current)) return false;
    for (int i = 0; i < kSubpixelRule; ++i) {
        RuleTrial& trial = fit->rules[i];
        trial.without = trial.with = current;
        if (i == kPerspectiveRule && !taken.vertex) continue;
        ReferenceRules candidate = taken;
        setReferenceRule(candidate, i, true);
        trial.tried = true;
        if (!score(candidate, &trial.with)) return false;
        trial.taken = !(trial.without < trial.with);
        if (trial.taken) {
            taken = candidate;
            current = trial.with;
        }
    }
    fit->grids[0] = current;
    int best = 0;
    for (int bits = kMaxSubpixelBits; bits >= 1; --bits) {
        ReferenceRules candidate = taken;
        candidate.subpixel = bits;
        if (!score(candidate, &fit->grids[bits])) return false;
        if (fit->grids[bits] < fit->grids[best]) best = bits;
    }
    taken.subpixel = best;
    fit->fitted = taken;
    return true;
}

std::vector<View> defaultFitViews(const View& start) {
    std::vector<View> views = {start};
    for (int k = 0; k < kFitTurntableViews; ++k) {
        View view = start;
        view.angleZ = static_cast<float>(static_cast<double>(start.angleZ) +
                                         360.0 * (k + 0.5) / kFitTurntableViews);
        views.push_back(view);
    }
    return views;
}

std::string fittedRuleDoes(const RuleFit& fit, int index) {
    if (index == kSubpixelRule) {
        return fit.fitted.subpixel == 0 ? "snaps corners to no grid of 1 to 8 bits"
                                        : "snaps corners to " + gridName(fit.fitted.subpixel);
    }
    if (!fit.rules[index].tried) return "not tried: it refines vertex, which was not taken";
    return kDoes[index][referenceRuleOn(fit.fitted, index) ? 0 : 1];
}

std::string ruleFitText(const RuleFit& fit, const FitBasis& basis) {
    const std::size_t left = basis.views - basis.viewsFitted;
    std::string text =
        "fitted over                     " + std::to_string(basis.viewsFitted) +
        (basis.viewsFitted == 1 ? " view" : " views") +
        (left ? " (" + std::to_string(left) + " crossing the near plane left out)" : "") +
        ", a pixel both cover differing beyond " + std::to_string(basis.tolerance) +
        (basis.tolerance == 1 ? " step\n" : " steps\n") +
        "rule           differing pixels   what the reference's OpenGL does\n" +
        "                without     with\n";
    for (int i = 0; i < kSubpixelRule; ++i) {
        const RuleTrial& trial = fit.rules[i];
        text += padded(kReferenceRuleNames[i], 13);
        if (!trial.tried) {
            text += "        -        -   " + fittedRuleDoes(fit, i) + "\n";
            continue;
        }
        text += count(trial.without.differing, 9) + count(trial.with.differing, 9) + "   " +
                fittedRuleDoes(fit, i) + tieText(trial) + "\n";
    }
    text += "subpixel grid  differing pixels\n";
    for (int bits = 0; bits <= kMaxSubpixelBits; ++bits) {
        text += "  " + padded(gridName(bits), 13) + count(fit.grids[bits].differing, 9);
        text +=
            bits == fit.fitted.subpixel ? "            " + fittedRuleDoes(fit, kSubpixelRule) : "";
        text += "\n";
    }
    return text + "fitted rules                    " + referenceRulesText(fit.fitted) + "\n";
}

std::string ruleFitJsonMembers(const RuleFit& fit, const FitBasis& basis) {
    std::string names;
    for (int i = 0; i < kReferenceRuleCount; ++i) {
        if (!referenceRuleOn(fit.fitted, i)) continue;
        names += (names.empty() ? "" : ", ") + jsonText(referenceRuleName(fit.fitted, i));
    }
    std::string rows;
    for (int i = 0; i < kSubpixelRule; ++i) {
        const RuleTrial& trial = fit.rules[i];
        rows += "{\"rule\": " + jsonText(kReferenceRuleNames[i]) +
                ", \"tried\": " + (trial.tried ? "true" : "false") +
                ", \"taken\": " + (trial.taken ? "true" : "false") +
                ", \"differing_without\": " + std::to_string(trial.without.differing) +
                ", \"differing_with\": " + std::to_string(trial.with.differing) +
                ", \"steps_without\": " + std::to_string(trial.without.steps) +
                ", \"steps_with\": " + std::to_string(trial.with.steps) +
                ", \"does\": " + jsonText(fittedRuleDoes(fit, i)) + "}, ";
    }
    std::string differing, steps;
    for (int bits = 0; bits <= kMaxSubpixelBits; ++bits) {
        differing += (bits ? ", " : "") + std::to_string(fit.grids[bits].differing);
        steps += (bits ? ", " : "") + std::to_string(fit.grids[bits].steps);
    }
    rows += "{\"rule\": " + jsonText(kReferenceRuleNames[kSubpixelRule]) +
            ", \"bits\": " + std::to_string(fit.fitted.subpixel) + ", \"differing_by_bits\": [" +
            differing + "], \"steps_by_bits\": [" + steps +
            "], \"does\": " + jsonText(fittedRuleDoes(fit, kSubpixelRule)) + "}";
    return "\"fitted_rules\": [" + names + "], \"fit\": [" + rows +
           "], \"views\": " + std::to_string(basis.views) +
           ", \"views_fitted\": " + std::to_string(basis.viewsFitted) +
           ", \"tolerance\": " + std::to_string(basis.tolerance);
}
