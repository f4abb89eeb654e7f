#pragma once

#include <cstddef>
#include <string>

// Memory for the GL library, which does not all check its allocations: when
// the address space a process may have (ulimit -v) runs out inside it, it
// crashes, aborts or reports GL_OUT_OF_MEMORY. These tell that case apart,
// before drawing and after a crash.

// The address space the GL library is taken to need to draw a width x
// height frame: its colour and depth buffers and a block of its own. Less
// than it needs where its allocations fall into room it has reserved
// already; a probe, not a promise.
std::size_t openGLFrameBytes(int width, int height);

// The size of the frames the GL library draws from now on, for
// memoryRanOut.
void expectFramesOf(int width, int height);

// Whether `bytes` more of address space can be had now: a reservation made
// and given back at once. Async-signal-safe.
bool addressSpaceLeft(std::size_t bytes);

// Whether memory has as good as run out: not even one more buffer of the
// frames expected (or a new thread's malloc arena, 64 MB) can be had.
// Async-signal-safe, for telling after a crash in the GL library whether a
// failed allocation caused it.
bool memoryRanOut();

// The refusal to draw before the GL library starts, for the viewer and the
// tools alike: "" when there is room for the GL library to draw width x
// height frames, else "not enough memory for the OpenGL library to draw
// <what>". Frames of that size are expected from now on (expectFramesOf).
std::string openGLMemoryRefusal(int width, int height, const std::string& what);
