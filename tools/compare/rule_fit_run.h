#pragma once

#include <string>
#include <vector>

#include "tools/command_line/render_options.h"
#include "tools/compare/compare_run.h"
#include "tools/compare/rule_fit.h"
#include "tools/pictures/reference_implementation.h"
#include "view/view.h"

// A fit against the OpenGL found, and what it was fitted over.
struct RuleFitRun {
    RuleFit fit;
    GlImplementation implementation;
    FitBasis basis;
};

// Draws the reference picture of each view once, on one surface, then fits
// the rules to them (fitReferenceRules), each candidate drawn by `render`
// under its rules at frame's size and compared at `tolerance`. Views whose
// geometry comes nearer than the near plane take no part: the software path
// keeps what the reference cuts away there. False, with one line in *error,
// when the reference cannot be drawn, memory runs short or every view
// crosses the near plane.
bool fitRulesOverViews(const RenderOptions& frame, const std::vector<View>& views, int tolerance,
                       SoftwareRender render, RuleFitRun* run, std::string* error);
