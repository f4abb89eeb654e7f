#pragma once

#include <string>

#include "gl/surface/gl_platform.h"

// The OpenGL that drew the reference, for a report line: "<renderer> from
// <vendor>, OpenGL <version>, <how it was reached>".
std::string implementationText(const GlImplementation& gl);

// The same as a JSON member without a trailing comma:
// "reference_implementation": {"vendor", "renderer", "version", "platform"}.
std::string implementationJsonMember(const GlImplementation& gl);
