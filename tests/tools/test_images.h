#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "rgb_image.h"

// Reads an 8-bit RGB PNG with libpng; false (with a reason) for anything
// else, including PNGs of another colour type or depth.
bool readPng(const std::string& path, RgbImage* image, std::string* error);

struct PfmFile {
    std::string header;  // everything up to and including the scale line
    int channels = 0;    // 3 for "PF", 1 for "Pf"
    int width = 0;
    int height = 0;
    double scale = 0.0;
    std::vector<std::uint32_t> bits;  // every sample's float bits, file order
};

// Parses a PFM file; the samples are decoded as little-endian when the scale
// is negative, big-endian otherwise.
bool readPfm(const std::string& path, PfmFile* pfm, std::string* error);

// How two pictures of the same size differ, optionally ignoring a rectangle
// (x, row ranges, top row first).
struct PictureDifference {
    int maxChannelDelta = 0;
    long differingPixels = 0;  // pixels with any channel off by more than the tolerance
    int firstX = -1;
    int firstRow = -1;
};

struct IgnoredRect {
    int x0 = 0, row0 = 0, x1 = 0, row1 = 0;  // half-open
    bool contains(int x, int row) const { return x >= x0 && x < x1 && row >= row0 && row < row1; }
};

PictureDifference comparePictures(const RgbImage& actual, const RgbImage& expected, int tolerance,
                                  const IgnoredRect* ignored = nullptr);

// Pixels that are not pure white.
long countNonWhite(const RgbImage& image);
