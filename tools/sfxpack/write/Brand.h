// Branding a stub: its icon group replaced by the images of an .ico file, a version resource and
// an application manifest written, by rebuilding its resource section, which must be its last. Nothing else in the file
// moves; the headers that describe the section's size and the checksum are made to match.
#pragma once
#include <optional>
#include <stdexcept>
#include <vector>
#include "core/Bytes.h"
#include "pe/IconFile.h"
#include "pe/VersionInfo.h"

namespace sfx {

struct Branding {
    std::vector<IconImage> icon;         // empty: the stub's icon stays
    std::optional<VersionInfo> version;  // none: the stub's version resource, if any, stays
    std::optional<Bytes> manifest;       // none: the stub's manifest, if any, stays
    bool empty() const { return icon.empty() && !version && !manifest; }
};

struct BrandError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Throws BrandError saying why the stub can't be branded: its headers or resource section are
// damaged, its resources are not in its last section, or that section holds more than them. The
// stub must end where its image ends (as a usable stub does).
void Brand(Bytes& stub, const Branding& branding);

}  // namespace sfx
