#pragma once

#include <string>

// Empty when the X display that glutInit will use (its -display argument,
// else DISPLAY) can be opened; otherwise a one-line reason, so the viewer can
// say why it cannot start instead of failing inside GLUT.
std::string displayProblem(int argc, char** argv);
