#pragma once

#include <string>

#include "gl/gl_platform.h"
#include "raster/like_reference/reference_rules.h"

// The rules `--like-reference all` takes against the OpenGL found, by the
// renderer it names: every rule for Mesa's llvmpipe, whose 1/256-pixel
// grid `subpixel` follows; every rule but `subpixel` for Mesa's softpipe,
// which snaps to no such grid; and for any other implementation the rules
// whose effect does not depend on it, every rule but `subpixel`, with a
// line in *note (ending in a newline) saying so. *note is empty otherwise.
ReferenceRules rulesFitting(const GlImplementation& gl, std::string* note);

// The report line listing the rules taken, as --like-reference names them
// ("none" for none): "like the reference   <names>".
std::string rulesTakenText(const ReferenceRules& rules);

// The same as a JSON member: "like_reference": [names].
std::string rulesTakenJsonMember(const ReferenceRules& rules);
