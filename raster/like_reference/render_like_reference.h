#pragma once

#include "raster/buffers/frame_buffers.h"
#include "raster/like_reference/reference_rules.h"
#include "raster/plain/fragment_observer.h"
#include "raster/plain/scan_convert.h"
#include "raster/plain/stop_point.h"
#include "scene/scene.h"

// renderSoftwarePlain following the OpenGL reference's rules where `rules`
// asks for them (the stages of ReferenceStages, chosen once for the frame;
// the fast path has no such rules); with none, renderSoftwarePlain itself,
// to the last bit. Tells the observer (when not null) about every fragment
// and fills the lighting terms it asks for, except under the vertex rule,
// where pixels are not lit. With a stop point (when not null) it draws no
// further than that point; only the rows in `rows` are filled, exactly as in
// the whole frame (see renderSoftwarePlain).
void renderSoftwareLikeReference(Scene& scene, PixelBuffers buffers, int width, int height,
                                 const ReferenceRules& rules, FragmentObserver* observer = nullptr,
                                 const StopPoint* stop = nullptr, FilledRows rows = FilledRows());
