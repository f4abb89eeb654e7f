#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "scene/color.h"

// Reverses the row order of packed 8-bit RGB rows (bottom-up <-> top-down).
void flipRgbRows(std::vector<std::uint8_t>& rgb, int width, int height);

// Encoders into memory. Each appends to *out, which the caller may have
// reserved beforehand (see the size functions) so that encoding asks for no
// more memory than libpng's and zlib's own buffers.

// Bytes of a PFM of this size, header included.
std::size_t pfmSize(int channels, int width, int height);
// An upper bound of the bytes of the PNG of a width x height RGB picture
// (libpng's PNG_IMAGE_PNG_SIZE_MAX, counted without overflow for every size).
std::size_t pngSizeBound(int width, int height);

// 8-bit RGB PNG, rows top to bottom, of any size PNG allows (written row by
// row, so the picture may take more than the 4 GiB libpng's simplified
// interface is limited to). False with libpng's reason (one line, nothing
// printed) when encoding fails, for example when memory runs out.
bool encodePng(const std::uint8_t* rgbTopDown, int width, int height,
               std::vector<std::uint8_t>* out, std::string* error);

// Colour PFM ("PF"): r, g, b of every pixel as little-endian floats, rows
// bottom to top, exactly as stored (not clamped); alpha is dropped.
void encodeColorPfm(const Color* pixels, int width, int height, std::vector<std::uint8_t>* out);

// Greyscale PFM ("Pf") of a depth buffer, little-endian, rows bottom to top.
void encodeDepthPfm(const float* depths, int width, int height, std::vector<std::uint8_t>* out);
