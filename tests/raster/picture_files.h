#pragma once

#include <string>

// Writes the first width x height pixels of colorBuffer (row 0 at the bottom)
// as an 8-bit RGB PNG, top row first, each channel clamped to [0, 1].
bool writeColorBufferPng(const std::string& path, int width, int height);

// Writes a PNG of the same size that is black where the two colour arrays
// agree bit for bit and red where they differ.
struct Color;
bool writeDifferencePng(const std::string& path, const Color* expected, const Color* actual,
                        int width, int height);

// A directory for pictures of failed checks: $RW_TEST_ARTIFACTS if set,
// otherwise the system temporary directory.
std::string artifactDirectory();
