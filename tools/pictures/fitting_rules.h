#pragma once

#include <cstddef>
#include <string>

#include "examine/rules_json.h"  // the same rules as a JSON member
#include "gl/surface/gl_platform.h"
#include "raster/like_reference/reference_rules.h"

// The rules that hold for an OpenGL known by the renderer it names: every
// rule for Mesa's llvmpipe, with its 1/256-pixel grid; every rule but
// `subpixel` for Mesa's softpipe, which snaps to no grid. False, with every
// rule but `subpixel` in *rules, for any other implementation.
bool rulesKnownFor(const GlImplementation& gl, ReferenceRules* rules);

// The rules `--like-reference all` takes against the OpenGL found where no
// rules are fitted to it: the known ones (rulesKnownFor), else every rule
// but `subpixel`, with a line in *note (ending in a newline) saying so and
// that rasterwork-compare --fit-rules fits them. *note is empty otherwise.
ReferenceRules rulesFitting(const GlImplementation& gl, std::string* note);

// The line that says --like-reference all took the rules fitted to an
// OpenGL it does not know, over `views` views.
std::string fittedRulesNote(std::size_t views);

// The report line listing the rules taken, as --like-reference names them
// ("none" for none): "like the reference   <names>".
std::string rulesTakenText(const ReferenceRules& rules);
