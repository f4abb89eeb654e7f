#pragma once

// Normalised device coordinate of a pixel's column (or row): 2 * pixel / size
// - 1 in double, rounded to float. pixel holds a whole number.
inline float deviceCoordinate(float pixel, int size) {
    return static_cast<float>(2.0 * static_cast<double>(pixel) / static_cast<double>(size) - 1.0);
}
