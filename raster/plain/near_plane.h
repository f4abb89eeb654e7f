#pragma once

#include "scene/scene.h"

// Whether any corner of any face lies nearer than the projection's near plane
// (clip z < -w, which includes everything at or behind the eye). Such a view
// is drawn differently by design: the software path cuts faces at w = 0.0001
// and keeps what lies between the eye and the near plane, while OpenGL cuts
// at the near plane.
bool crossesNearPlane(const Scene& scene);
