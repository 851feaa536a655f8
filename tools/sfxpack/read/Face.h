// An installer's face as Windows shows it, read from its stub's resources for list: the icon
// groups with their images' sizes, the version resource and the application manifest. Hostile bytes are reported, never
// trusted: nothing here throws or reads outside the file.
#pragma once
#include <optional>
#include <string>
#include <vector>
#include "pe/Manifest.h"
#include "pe/VersionInfo.h"

namespace sfx {

struct IconFace {
    uint32_t width = 0, height = 0;  // 256 where the group says 0
    uint16_t bitCount = 0;
    uint32_t bytes = 0;  // as the group entry gives it
    bool png = false;    // the image is a PNG file
    bool found = false;  // an icon resource of that id exists
};

struct IconGroupFace {
    std::string name;  // UTF-8, or the number in decimal
    std::vector<IconFace> images;
};

struct Face {
    std::vector<IconGroupFace> icons;
    std::optional<VersionInfo> version;
    std::optional<ManifestFace> manifest;  // the one Windows reads at start-up
    std::vector<std::string> problems;
};

// Nothing for a file that is no PE image or carries no resources.
Face ReadFace(ByteView file);

}  // namespace sfx
