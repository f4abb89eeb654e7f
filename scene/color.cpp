#include "color.h"

#include <cmath>

Color Color::fromHSV(float h, float s, float v, float alpha) {
    if (s == 0.0f) return Color(v, v, v, alpha);

    const double x = static_cast<double>(h) * 6.0;
    // An infinite or NaN hue has no sector at all.
    if (!std::isfinite(x)) return Color();
    // The sector is kept as a whole double, not an int: hues far beyond the
    // int range are whole numbers, so their sector 6h is a multiple of 6 and
    // takes the first row like any other whole hue.
    const double i = std::trunc(x);
    const float f = static_cast<float>(x - i);
    const double sd = s, vd = v, fd = f;
    const float p = static_cast<float>(vd * (1.0 - sd));
    const float q = static_cast<float>(vd * (1.0 - fd * sd));
    const float t = static_cast<float>(vd * (1.0 - (1.0 - fd) * sd));

    if (std::fmod(i, 6.0) == 0.0) return Color(v, t, p, alpha);
    if (i == 1.0) return Color(q, v, p, alpha);
    if (i == 2.0) return Color(p, v, t, alpha);
    if (i == 3.0) return Color(p, q, v, alpha);
    if (i == 4.0) return Color(t, p, v, alpha);
    if (i == 5.0) return Color(v, p, q, alpha);
    return Color();
}
