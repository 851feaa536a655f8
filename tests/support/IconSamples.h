// Icons for the branding tests, made in code: 32-bit bitmaps and a PNG image of given sizes, and
// the .ico file that holds them, laid out as icon editors write it (the directory, then each
// image in order).
#pragma once
#include <vector>
#include "pe/IconFile.h"

sfx::Bytes BitmapImage(int size);  // a 32-bit DIB with its AND mask
sfx::Bytes PngImage(int size);     // an RGBA PNG that decoders accept
sfx::IconImage IconOf(int size, bool png);
sfx::Bytes IcoFile(const std::vector<sfx::IconImage>& images);
// 16, 32 and 48 pixels as bitmaps and 256 as a PNG, as a modern application icon holds them.
std::vector<sfx::IconImage> SampleIcon();
