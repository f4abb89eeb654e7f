#pragma once

#include "tools/command_line/tool_main.h"
#include "tools/explain/explain_options.h"

// rasterwork-explain --face O:F: draws the frame up to that face with the
// plain path (under the rules --like-reference names, 'all' fitted to the
// OpenGL found) and prints the face's scan conversion, as text or JSON.
ToolResult explainFace(const ExplainOptions& options);
