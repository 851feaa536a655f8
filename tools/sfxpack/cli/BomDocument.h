// The installer's bill of materials as a CycloneDX 1.6 JSON document, written from its contents
// (read/Contents.h) the same way by create and list, so that both print the same bytes.
#pragma once
#include <cstdint>
#include <string>
#include "read/Contents.h"

namespace sfx {

// What the document says beyond the contents.
struct BomHead {
    std::string name;        // the installer's file name
    int codePage = 0;        // the names are decoded from it
    bool timed = false;      // metadata.timestamp is given, from SOURCE_DATE_EPOCH
    int64_t timestamp = 0;   // seconds since 1970, UTC
};

// The name the document gives an installer at a path: its base name, or installer.exe for
// standard input or output ("-").
std::string BomName(const std::string& path);

// SOURCE_DATE_EPOCH, when set, as the document's timestamp: whole seconds since 1970, up to the
// end of 9999. Any other value is a usage error of the command.
void ReadSourceDateEpoch(BomHead& head, const std::string& command);

// The document, a member component per entry in table order; bom-refs "installer", "stub",
// "zlib" and "member-N" (N the entry's index).
std::string BomJson(const Contents& contents, const BomHead& head);

// The version-5 UUID of an installer with this SHA-256 (hex): the name "sfxpack:sha256:" and
// the hex digits in the URL namespace of RFC 4122 (6ba7b811-9dad-11d1-80b4-00c04fd430c8).
std::string InstallerUuid(const std::string& sha256);

}  // namespace sfx
