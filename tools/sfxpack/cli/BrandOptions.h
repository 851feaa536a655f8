// The options of create and restub that brand the stub: --icon, --file-version,
// --product-version, --version-string KEY=VALUE, --version-language, --execution-level and
// --manifest, each checked before any large input is read.
#pragma once
#include <string>
#include <vector>
#include "write/Brand.h"

namespace sfx {

class Args;

// The largest .ico file taken: far above any real icon (a full set with an uncompressed
// 256x256 image is under 400 KiB).
const uint64_t MaxIconFileSize = 16u << 20;
// The longest key and value of a version string, in UTF-16 units.
const size_t MaxVersionKey = 64, MaxVersionValue = 1024;

struct BrandOptions {
    std::string icon, fileVersion, productVersion, language, executionLevel, manifest;
    std::vector<std::string> strings;

    // Takes the option just read when it is one of these; false leaves it to the command.
    bool read(Args& args, const std::string& option);

    // The branding asked for, the icon file read; throws Failure(ExitUsage) naming what is wrong.
    Branding load(const std::string& command) const;
};

// The stub branded; a stub that can't be is a usage error naming it.
void BrandStub(Bytes& stub, const Branding& branding, const std::string& path);

}  // namespace sfx
