#pragma once

// RGBA colour of four floats, stored contiguously in the order r, g, b, a.
// Never clamped: values above 1 and below 0 are kept as they are.
struct Color {
    float r = 0.0f;
    float g = 0.0f;
    float b = 0.0f;
    float a = 1.0f;

    Color() = default;
    Color(float red, float green, float blue, float alpha) : r(red), g(green), b(blue), a(alpha) {}

    // Hue in [0, 1) for a full turn (0 red, 1/3 green, 2/3 blue), saturation
    // and value as factors. Hues are not wrapped: the sector is 6 h truncated
    // toward zero; multiples of 6 take the red-to-yellow row, 1 to 5 their
    // own rows, and any other sector (or an infinite or NaN hue) gives
    // (0, 0, 0, 1).
    static Color fromHSV(float hue, float saturation, float value, float alpha);
};
