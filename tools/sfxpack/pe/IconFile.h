// An .ico file read without trusting it: the images it holds with their directory entries, as a
// resource icon group carries them. PNG-compressed images (256x256 ones, usually) count as any.
#pragma once
#include <cstdint>
#include <stdexcept>
#include <vector>
#include "core/Bytes.h"

namespace sfx {

struct IconImage {
    uint8_t width = 0, height = 0;  // 0 stands for 256
    uint8_t colorCount = 0;
    uint16_t planes = 0, bitCount = 0;
    Bytes data;  // a DIB (header, colours, XOR and AND masks) or a whole PNG file
};

struct IconError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

const uint8_t PngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

// Whether the image data starts as a PNG file does.
bool IsPng(ByteView data);

// Every image of the file in its order; throws IconError saying what is wrong: an empty or
// truncated file, no images, an entry whose bytes lie past the end, or data that is neither a
// DIB nor a PNG.
std::vector<IconImage> ReadIconFile(ByteView file);

}  // namespace sfx
