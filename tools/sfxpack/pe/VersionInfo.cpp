// VS_VERSIONINFO blocks: each is a length, a value length, a type (0 binary, 1 text), a
// zero-terminated UTF-16 key, then its value and its children, each on a 4-byte boundary.
#include "pe/VersionInfo.h"
#include <cstdio>
#include <cstdlib>
#include "core/LittleEndian.h"
#include "core/Utf16.h"

namespace sfx {

enum VersionLayout : uint32_t {
    FixedSignature = 0xFEEF04BD,
    FixedStructVersion = 0x00010000,
    FixedSize = 52,
    FixedFlagsMask = 0x3F,
    FixedOsNtWindows32 = 0x00040004,
    FixedTypeApp = 1,
    BlockHeader = 6,
};

bool ParseVersionNumber(const std::string& text, VersionNumber& number) {
    size_t at = 0;
    for (size_t part = 0; part < 4; ++part) {
        size_t end = part < 3 ? text.find('.', at) : text.size();
        if (end == std::string::npos || end == at || end - at > 5) return false;
        std::string digits = text.substr(at, end - at);
        if (digits.find_first_not_of("0123456789") != std::string::npos || std::stoul(digits) > 0xFFFF) return false;
        number[part] = (uint16_t)std::stoul(digits);
        at = end + 1;
    }
    return true;
}

std::string VersionText(const VersionNumber& n) {
    return std::to_string(n[0]) + "." + std::to_string(n[1]) + "." + std::to_string(n[2]) + "." + std::to_string(n[3]);
}

static void AddUtf16(Bytes& out, const std::u16string& text) {
    for (char16_t unit : text) AddLe16(out, unit);
    AddLe16(out, 0);
}

static std::u16string Wide(const std::string& text) {
    std::u16string wide;
    if (!Utf8ToUtf16(text, wide)) throw VersionError("\"" + text + "\" is not valid UTF-8");
    return wide;
}

// One block: its header, key, value and children, its length counting all but trailing padding.
static Bytes Block(const std::string& key, uint16_t type, const Bytes& value, uint16_t valueLength,
                   const std::vector<Bytes>& children = {}) {
    Bytes out(BlockHeader, 0);
    AddUtf16(out, Wide(key));
    PadTo(out, 4);
    out.insert(out.end(), value.begin(), value.end());
    for (const Bytes& child : children) {
        PadTo(out, 4);
        out.insert(out.end(), child.begin(), child.end());
    }
    if (out.size() > 0xFFFF) throw VersionError("the version information comes to more than 65535 bytes");
    SetLe16(out, 0, (uint16_t)out.size());
    SetLe16(out, 2, valueLength);
    SetLe16(out, 4, type);
    return out;
}

static Bytes FixedPart(const VersionInfo& info) {
    Bytes out;
    auto high = [](const VersionNumber& n) { return (uint32_t)n[0] << 16 | n[1]; };
    auto low = [](const VersionNumber& n) { return (uint32_t)n[2] << 16 | n[3]; };
    for (uint32_t field :
         {(uint32_t)FixedSignature, (uint32_t)FixedStructVersion, high(info.fileVersion), low(info.fileVersion),
          high(info.productVersion), low(info.productVersion), (uint32_t)FixedFlagsMask, 0u,
          (uint32_t)FixedOsNtWindows32, (uint32_t)FixedTypeApp, 0u, 0u, 0u})
        AddLe32(out, field);
    return out;
}

static std::string TranslationKey(uint16_t language, uint16_t codePage) {
    char key[9];
    std::snprintf(key, sizeof key, "%04X%04X", language, codePage);
    return key;
}

Bytes EncodeVersionInfo(const VersionInfo& info) {
    std::vector<Bytes> strings;
    for (const auto& [key, value] : info.strings) {
        Bytes text;
        std::u16string wide = Wide(value);
        AddUtf16(text, wide);
        strings.push_back(Block(key, 1, text, (uint16_t)(wide.size() + 1)));
    }
    Bytes table = Block(TranslationKey(info.language, info.codePage), 1, {}, 0, strings);
    Bytes translation;
    AddLe16(translation, info.language);
    AddLe16(translation, info.codePage);
    Bytes var = Block("VarFileInfo", 1, {}, 0, {Block("Translation", 0, translation, 4)});
    return Block("VS_VERSION_INFO", 0, FixedPart(info), FixedSize, {Block("StringFileInfo", 1, {}, 0, {table}), var});
}

// A block as read: where it lies in the resource, its header and key, and where its value starts
// (which may lie past its end in a damaged block: readers check).
struct VersionBlock {
    size_t end = 0;
    uint16_t valueLength = 0;
    std::u16string key;
    size_t value = 0;
};

static size_t Align4(size_t at) { return (at + 3) & ~(size_t)3; }

// The block at `at`, which must end by `limit`; false when its length or key don't fit there.
static bool ReadBlock(ByteView resource, size_t at, size_t limit, VersionBlock& block) {
    if (at > limit || limit - at < BlockHeader) return false;
    uint16_t length = Le16(resource, at);
    if (length < BlockHeader || length > limit - at) return false;
    block.end = at + length;
    block.valueLength = Le16(resource, at + 2);
    block.key.clear();
    size_t unit = at + BlockHeader;
    for (; unit + 2 <= block.end && Le16(resource, unit); unit += 2) block.key += (char16_t)Le16(resource, unit);
    if (unit + 2 > block.end) return false;  // no terminating zero inside the block
    block.value = Align4(unit + 2);
    return true;
}

// Each child of a block whose own value takes `valueBytes`, handed to visit; stops at the first
// fault. Zeros after the last child are padding. Every child is at least a header long, so the
// loop ends.
template <typename Visit>
static std::string EachChild(ByteView resource, const VersionBlock& parent, size_t valueBytes, Visit visit) {
    for (size_t at = Align4(parent.value + valueBytes); at + 2 <= parent.end && Le16(resource, at);) {
        VersionBlock child;
        if (!ReadBlock(resource, at, parent.end, child))
            return "a block inside " + Utf16ToUtf8(parent.key) + " overruns it";
        std::string why = visit(child);
        if (!why.empty()) return why;
        at = Align4(child.end);
    }
    return "";
}

static std::string ReadStrings(ByteView resource, const VersionBlock& table, VersionInfo& info) {
    return EachChild(resource, table, 0, [&](const VersionBlock& string) {
        std::u16string value;
        for (size_t at = string.value; at + 2 <= string.end && Le16(resource, at); at += 2)
            value += (char16_t)Le16(resource, at);
        info.strings.emplace_back(Utf16ToUtf8(string.key), Utf16ToUtf8(value));
        return std::string();
    });
}

static void ReadTranslation(ByteView resource, const VersionBlock& var, VersionInfo& info) {
    if (var.key != u"Translation" || var.valueLength < 4 || var.value + 4 > var.end) return;
    info.language = Le16(resource, var.value);
    info.codePage = Le16(resource, var.value + 2);
}

std::string DecodeVersionInfo(ByteView resource, VersionInfo& info) {
    info = VersionInfo();
    VersionBlock root;
    if (!ReadBlock(resource, 0, resource.size(), root) || root.key != u"VS_VERSION_INFO")
        return "it does not start with a VS_VERSION_INFO block";
    if (root.valueLength != FixedSize || root.value + FixedSize > root.end ||
        Le32(resource, root.value) != FixedSignature)
        return "its fixed part is missing or damaged";
    for (size_t i = 0; i < 4; ++i) {
        VersionNumber& number = i < 2 ? info.fileVersion : info.productVersion;
        uint32_t field = Le32(resource, root.value + 8 + 4 * i);
        number[i % 2 * 2] = (uint16_t)(field >> 16);
        number[i % 2 * 2 + 1] = (uint16_t)field;
    }
    return EachChild(resource, root, FixedSize, [&](const VersionBlock& child) {
        if (child.key == u"StringFileInfo")
            return EachChild(resource, child, 0, [&](const VersionBlock& table) {
                if (table.key.size() == 8) {
                    std::string hex = Utf16ToUtf8(table.key);
                    info.language = (uint16_t)std::strtoul(hex.substr(0, 4).c_str(), nullptr, 16);
                    info.codePage = (uint16_t)std::strtoul(hex.substr(4).c_str(), nullptr, 16);
                }
                return ReadStrings(resource, table, info);
            });
        if (child.key == u"VarFileInfo")
            return EachChild(resource, child, 0, [&](const VersionBlock& var) {
                ReadTranslation(resource, var, info);
                return std::string();
            });
        return std::string();  // a block of no known kind is passed over
    });
}

}  // namespace sfx
