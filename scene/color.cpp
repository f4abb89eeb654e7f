#include "color.h"

Color Color::fromHSV(float h, float s, float v, float alpha) {
    if (s == 0.0f) return Color(v, v, v, alpha);

    const double x = static_cast<double>(h) * 6.0;
    // Truncation of a hue whose sector does not fit an int is not defined in
    // C++; such hues select no sector anyway.
    if (!(x > -2147483648.0 && x < 2147483648.0)) return Color();
    const int i = static_cast<int>(x);
    const float f = static_cast<float>(x - i);
    const double sd = s, vd = v, fd = f;
    const float p = static_cast<float>(vd * (1.0 - sd));
    const float q = static_cast<float>(vd * (1.0 - fd * sd));
    const float t = static_cast<float>(vd * (1.0 - (1.0 - fd) * sd));

    if (i % 6 == 0) return Color(v, t, p, alpha);
    switch (i) {
        case 1:
            return Color(q, v, p, alpha);
        case 2:
            return Color(p, v, t, alpha);
        case 3:
            return Color(p, q, v, alpha);
        case 4:
            return Color(t, p, v, alpha);
        case 5:
            return Color(v, p, q, alpha);
        default:
            return Color();
    }
}
