#pragma once

#include <string>
#include <vector>

#include "rgb_image.h"

// Pictures of a failed check, for a person to look at: PNG files in a fresh
// directory, named after the check, under $RW_TEST_ARTIFACTS (else the
// system's temporary directory). Each returns a phrase naming what it
// wrote, for the failure message.

// The picture a check got, where there is none to set beside it (a digest,
// a picture judged by its parts).
std::string savePicture(const std::string& check, const RgbImage& picture);

// actual.png, expected.png and diff.png. The map is black where the two
// agree and elsewhere each channel's difference times 64, so that one step
// shows; white where only one picture has the pixel (pictures of different
// sizes); pure red where `differs` (one flag per pixel, top row first) marks
// a pixel whose bytes agree, as float values finer than a step do.
std::string saveMismatchPictures(const std::string& check, const RgbImage& actual,
                                 const RgbImage& expected,
                                 const std::vector<bool>* differs = nullptr);
