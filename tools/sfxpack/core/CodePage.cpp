// Names converted between UTF-8 and a Windows ANSI code page, a character at a time.
#include "core/CodePage.h"
#include <algorithm>
#include <cstdio>
#include "core/Names.h"
#include "core/Utf16.h"
#include "core/WindowsUpper.h"

namespace sfx {

namespace {

struct CodePageFacts {
    int number;
    const char* use;
};

const CodePageFacts Facts[] = {
    {1252, "Western Europe and the Americas"}, {1250, "Central Europe"}, {1251, "Cyrillic"},
    {1253, "Greek"}, {1254, "Turkish"}, {1255, "Hebrew"}, {1256, "Arabic"}, {1257, "Baltic"},
    {1258, "Vietnamese"}, {874, "Thai"}, {932, "Japanese"}, {936, "Simplified Chinese"},
    {949, "Korean"}, {950, "Traditional Chinese"},
};

// The lead bytes Windows gives for each double-byte code page (GetCPInfo's LeadByte ranges).
bool LeadByte(unsigned char c, int codePage) {
    if (codePage == 932) return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
    return DoubleByte(codePage) && c >= 0x81 && c <= 0xFE;
}

std::string Hex(const char* format, unsigned value) {
    char text[16];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

// The code point of a valid UTF-8 sequence.
unsigned CodePoint(const std::string& utf8) {
    unsigned c = (unsigned char)utf8[0];
    if (utf8.size() == 1) return c;
    unsigned code = c & (0x7F >> utf8.size());
    for (size_t i = 1; i < utf8.size(); ++i) code = code << 6 | ((unsigned char)utf8[i] & 0x3F);
    return code;
}

// The system's conversion, held to what it gives back: a character that comes back as another
// (a best fit, or one of two characters sharing a byte sequence) is not in the code page.
bool EncodeChar(const std::string& utf8, int codePage, std::string& bytes) {
    std::string back;
    return SystemEncode(utf8, codePage, bytes) && SystemDecode(bytes, codePage, back) && back == utf8;
}

// "code pages 1250, 1252 hold it", or that none does.
std::string WhereItFits(const std::string& utf8) {
    std::vector<int> holding = CodePagesHolding(utf8);
    std::sort(holding.begin(), holding.end());
    std::string pages;
    for (int page : holding) pages += (pages.empty() ? "" : ", ") + std::to_string(page);
    if (pages.empty()) return "no Windows ANSI code page holds it";
    return (pages.find(',') == std::string::npos ? "code page " + pages + " holds" : "code pages " + pages + " hold") +
           " it";
}

}  // namespace

const std::vector<int>& KnownCodePages() {
    static const std::vector<int> pages = [] {
        std::vector<int> list;
        for (const CodePageFacts& facts : Facts) list.push_back(facts.number);
        return list;
    }();
    return pages;
}

bool KnownCodePage(int codePage) { return CodePageUse(codePage) != nullptr; }

const char* CodePageUse(int codePage) {
    for (const CodePageFacts& facts : Facts)
        if (facts.number == codePage) return facts.use;
    return nullptr;
}

bool DoubleByte(int codePage) { return codePage == 932 || codePage == 936 || codePage == 949 || codePage == 950; }

size_t CharSize(const std::string& name, size_t at, int codePage) {
    return LeadByte((unsigned char)name[at], codePage) && at + 1 < name.size() && name[at + 1] != '\0' ? 2 : 1;
}

// One character's UTF-16 units; a byte that is no character stands for itself, as a unit no
// character gives (a low surrogate alone).
static std::u16string CharUnits(const std::string& bytes, int codePage) {
    std::string utf8;
    std::u16string units;
    if ((unsigned char)bytes[0] < 0x80) return std::u16string(1, (char16_t)bytes[0]);
    if (SystemDecode(bytes, codePage, utf8) && !utf8.empty() && Utf8ToUtf16(utf8, units)) return units;
    units.clear();
    for (unsigned char c : bytes) units += (char16_t)(0xDC00 + c);
    return units;
}

std::string CharKey(const std::string& name, int codePage) {
    std::string key;
    for (size_t i = 0, size; i < name.size(); i += size) {
        size = CharSize(name, i, codePage);
        for (char16_t unit : CharUnits(name.substr(i, size), codePage)) {
            unit = WindowsUpper(unit);
            key += {(char)(unit >> 8), (char)unit};
        }
    }
    return key;
}

bool FoldsInsideCharacter(const std::string& name, int codePage) {
    for (size_t i = 0, size; i < name.size(); i += size) {
        size = CharSize(name, i, codePage);
        if (size == 2 && name[i + 1] >= 'A' && name[i + 1] <= 'Z') return true;
    }
    return false;
}

// The text in the code page, or false with the first character it can't hold (the byte that
// breaks the UTF-8, when it is not valid UTF-8).
static bool Encode(const std::string& utf8, int codePage, std::string& bytes, std::string& failed) {
    bytes.clear();
    for (size_t i = 0; i < utf8.size();) {
        unsigned char c = (unsigned char)utf8[i];
        // Every ANSI code page holds ASCII as it is, so ASCII names keep their bytes.
        if (c < 0x80) {
            bytes += (char)c;
            ++i;
            continue;
        }
        size_t length = Utf8Length(utf8, i);
        std::string encoded;
        failed = utf8.substr(i, length ? length : 1);
        if (!length || !EncodeChar(failed, codePage, encoded)) return false;
        bytes += encoded;
        i += length;
    }
    return true;
}

std::vector<int> CodePagesHolding(const std::string& utf8) {
    std::vector<int> pages;
    std::string bytes, failed;
    for (int page : KnownCodePages())
        if (Encode(utf8, page, bytes, failed)) pages.push_back(page);
    return pages;
}

bool EncodeName(const std::string& utf8, int codePage, std::string& bytes, std::string& why) {
    std::string failed;
    if (Encode(utf8, codePage, bytes, failed)) return true;
    if (failed.size() == 1)
        why = "it is not valid UTF-8 (byte " + Hex("\\x%02x", (unsigned char)failed[0]) + ")";
    else
        why = Hex("U+%04X", CodePoint(failed)) + " '" + failed + "' is not in code page " + std::to_string(codePage) +
              "; " + WhereItFits(failed);
    return false;
}

std::string DecodeName(const std::string& bytes, int codePage, Invalid how, bool* clean) {
    std::string out;
    if (clean) *clean = true;
    auto invalid = [&](size_t at, size_t size) {
        for (size_t k = at; k < at + size; ++k) {
            unsigned c = (unsigned char)bytes[k];
            out += how == Invalid::Escaped ? Hex("\\x%02x", c) : how == Invalid::Percent ? Hex("%%%02X", c) : "\xEF\xBF\xBD";
        }
    };
    for (size_t i = 0, size; i < bytes.size(); i += size) {
        size = CharSize(bytes, i, codePage);
        unsigned char c = (unsigned char)bytes[i];
        if (c < 0x80) {
            if (how == Invalid::Escaped && (c < 0x20 || c == 0x7F))
                invalid(i, 1);
            else
                out += (char)c;
            continue;
        }
        std::string utf8;
        // A C1 control is no character in any ANSI code page, though the Windows tables map
        // 1252's unassigned bytes to them; Utf8Length refuses them.
        if (SystemDecode(bytes.substr(i, size), codePage, utf8) && !utf8.empty() && Utf8Length(utf8, 0) == utf8.size()) {
            out += utf8;
            continue;
        }
        if (clean) *clean = false;
        invalid(i, size);
    }
    return out;
}

std::string ShownName(const std::string& bytes, int codePage) { return DecodeName(bytes, codePage, Invalid::Escaped); }

}  // namespace sfx
