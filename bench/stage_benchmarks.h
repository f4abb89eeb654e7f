#pragma once

#include <benchmark/benchmark.h>

#include "scene/scene.h"

// Parts of the fast path timed alone, for the table of where a frame's time
// goes; `scene` holds the default scene with its camera set up for
// width x height.

// The vertex stage and the span set-up of every face into per-row bins
// (SpanBins::collect), as a frame starts.
void timeSpanBins(benchmark::State& state, Scene& scene, int width, int height);

// The conversion of every row of the drawn rectangle to window bytes
// (rw::convertToBgra), from a finished software picture.
void timeConversion(benchmark::State& state, Scene& scene, int width, int height);
