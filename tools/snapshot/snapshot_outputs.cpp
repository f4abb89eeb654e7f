#include "tools/snapshot/snapshot_outputs.h"

#include "tools/images/image_files.h"

namespace {

std::size_t pictureSize(int width, int height) {
    return pngSizeBound(width, height);
}

std::size_t colorPfmSize(int width, int height) {
    return pfmSize(3, width, height);
}

std::size_t depthPfmSize(int width, int height) {
    return pfmSize(1, width, height);
}

std::size_t stagePictureSize(int width, int height) {
    return pngSizeBound(width, height + stageLegendHeight(width));
}

bool encodeRgb(const std::uint8_t* rgbTopDown, int width, int height,
               std::vector<std::uint8_t>* out, std::string* error) {
    if (encodePng(rgbTopDown, width, height, out, error)) return true;
    *error = "cannot make the PNG picture: " + *error;
    return false;
}

bool encodePicture(const RgbCanvas& picture, std::vector<std::uint8_t>* out, std::string* error) {
    return encodeRgb(picture.rgb.data(), picture.width, picture.height, out, error);
}

bool windowPng(const RenderedSnapshot& f, std::vector<std::uint8_t>* out, std::string* error) {
    return encodeRgb(f.rgbTopDown, f.width, f.height, out, error);
}

bool colorPfm(const RenderedSnapshot& f, std::vector<std::uint8_t>* out, std::string*) {
    encodeColorPfm(f.colors, f.width, f.height, out);
    return true;
}

bool depthPfm(const RenderedSnapshot& f, std::vector<std::uint8_t>* out, std::string*) {
    encodeDepthPfm(f.depths, f.width, f.height, out);
    return true;
}

bool depthPng(const RenderedSnapshot& f, std::vector<std::uint8_t>* out, std::string* error) {
    return encodePicture(depthPicture(f.depths, f.width, f.height), out, error);
}

bool facesPng(const RenderedSnapshot& f, std::vector<std::uint8_t>* out, std::string* error) {
    return encodePicture(facesPicture(*f.stages, *f.scene), out, error);
}

bool fragmentsPng(const RenderedSnapshot& f, std::vector<std::uint8_t>* out, std::string* error) {
    return encodePicture(fragmentsPicture(*f.stages), out, error);
}

}  // namespace

const std::array<SnapshotOutput, kSnapshotOutputCount> kSnapshotOutputs = {{
    {"--png", &SnapshotOptions::pngPath,
     "the picture as the window shows it: 8-bit RGB, each\n"
     "channel clamped to [0, 1] and rounded to the nearest step",
     false, kWindowRgb, pictureSize, windowPng},
    {"--color-pfm", &SnapshotOptions::colorPfmPath,
     "the float colour as a little-endian colour PFM (\"PF\"),\n"
     "rows bottom to top: the software renderer's raw colour\n"
     "buffer (not clamped), or for opengl the window's colour as\n"
     "read back (8-bit steps as floats)",
     false, kFloatColor, colorPfmSize, colorPfm},
    {"--depth-pfm", &SnapshotOptions::depthPfmPath,
     "the float depth as a little-endian greyscale PFM (\"Pf\"),\n"
     "rows bottom to top: the software renderer's depth buffer\n"
     "(normalised-device z, -1 near to 1 far), or for opengl the\n"
     "window depth from the depth buffer (0 near to 1 far).\n"
     "Both depths are non-linear and close to 1 for this scene,\n"
     "so the picture looks white in an image viewer",
     false, kFloatDepth, depthPfmSize, depthPfm},
    {"--depth-png", &SnapshotOptions::depthPngPath,
     "the depth buffer in grey: the nearest stored depth\n"
     "brightest, the farthest dark grey, stretched over the\n"
     "covered range (given in the legend); black where no\n"
     "depth was stored",
     true, kFloatDepth, stagePictureSize, depthPng},
    {"--faces-png", &SnapshotOptions::facesPngPath,
     "the face that won each pixel, each face in a colour of its\n"
     "own: the hue of its object, the lightness varying with its\n"
     "index, so the tessellation shows; white where none did",
     true, kStages, stagePictureSize, facesPng},
    {"--fragments-png", &SnapshotOptions::fragmentsPngPath,
     "how many fragments reached the depth test at each pixel\n"
     "(overdraw), from white for none through blue (1) to dark\n"
     "red (8 or more), with the scale in the legend",
     true, kStages, stagePictureSize, fragmentsPng},
}};
