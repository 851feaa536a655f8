// The version resource (VS_VERSIONINFO) that Explorer's Details tab and VerQueryValueW read: a
// fixed part with the numbers, a StringFileInfo block of UTF-16 strings under one language and
// code page, and a VarFileInfo\Translation entry naming that pair. Written for branding, and
// read back without trusting it for list.
#pragma once
#include <array>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>
#include "core/Bytes.h"

namespace sfx {

using VersionNumber = std::array<uint16_t, 4>;

struct VersionInfo {
    VersionNumber fileVersion{}, productVersion{};
    uint16_t language = 0x0409;                                // U.S. English
    uint16_t codePage = 0x04B0;                                // 1200: the strings are Unicode
    std::vector<std::pair<std::string, std::string>> strings;  // key and value, UTF-8, in order
};

struct VersionError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// "A.B.C.D", each part a whole number up to 65535; false for anything else.
bool ParseVersionNumber(const std::string& text, VersionNumber& number);
std::string VersionText(const VersionNumber& number);

// The resource's bytes. Throws VersionError for a string that is not valid UTF-8, or when a
// block would outgrow the 16-bit lengths the format counts in.
Bytes EncodeVersionInfo(const VersionInfo& info);

// What a version resource holds; empty when it reads cleanly, else what is wrong with it (the
// parts read before the fault are kept). Every length is checked against its enclosing block.
std::string DecodeVersionInfo(ByteView resource, VersionInfo& info);

}  // namespace sfx
