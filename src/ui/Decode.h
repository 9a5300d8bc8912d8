#pragma once
// The embedded pictures (GIF and JPEG) decoded to the pixels the painter keeps, without the
// system's imaging library: that library starts COM and keeps a megabyte of libraries in memory
// for eight small pictures.
#include <span>

#include "ui/Resample.h"

namespace ui {

// Premultiplied 32-bit pixels (alpha in the top byte, then red, green, blue); an empty image for
// data that is not a whole GIF or JPEG picture, or one over 4096 pixels a side.
PixelImage decodePicture(std::span<const unsigned char> bytes);

}  // namespace ui
