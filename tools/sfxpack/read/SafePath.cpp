// Member names made into relative paths that stay inside the output folder.
#include "read/SafePath.h"
#include "core/Names.h"
#include "core/Why.h"

namespace sfx {

// A device name: CreateFile opens the device, whatever folder the path names and whatever
// extension follows, and blanks before the extension don't count.
static bool IsDeviceName(const std::string& part) {
    std::string base = part.substr(0, part.find('.'));
    base.erase(base.find_last_not_of(' ') + 1);
    for (char& c : base) c = (char)(c >= 'a' && c <= 'z' ? c - 32 : c);
    if (base == "CON" || base == "PRN" || base == "AUX" || base == "NUL" || base == "CONIN$" || base == "CONOUT$")
        return true;
    return base.size() == 4 && (base.compare(0, 3, "COM") == 0 || base.compare(0, 3, "LPT") == 0) &&
           base[3] >= '1' && base[3] <= '9';
}

// Whether Windows creates a file or folder of this one part of a name as it stands. Dots,
// blanks and controls are never the second byte of a character, so only the forbidden
// characters are looked for a character at a time.
static bool WindowsTakesPart(const std::string& part, std::string& why, int codePage) {
    for (size_t i = 0, size; i < part.size(); i += size) {
        size = CharSize(part, i, codePage);
        unsigned char c = (unsigned char)part[i];
        if (size == 2) continue;
        if (c < 0x20) return Refuse(why, "it holds a control character");
        if (std::string("<>\"|?*").find((char)c) != std::string::npos)
            return Refuse(why, std::string("it holds '") + (char)c + "', which Windows forbids in names");
    }
    std::string shown = "\"" + ShownName(part, codePage) + "\"";
    if (IsDeviceName(part)) return Refuse(why, shown + " is a device name on Windows");
    if (!part.empty() && part != "." && part != ".." && (part.back() == '.' || part.back() == ' '))
        return Refuse(why, shown + " ends in a dot or blank, which Windows drops");
    return true;
}

// The parts between separators, split a character at a time; empty ones kept.
static std::vector<std::string> SplitParts(const std::string& name, int codePage) {
    std::vector<std::string> parts(1);
    for (size_t i = 0, size; i < name.size(); i += size) {
        size = CharSize(name, i, codePage);
        if (size == 1 && (name[i] == '/' || name[i] == '\\'))
            parts.emplace_back();
        else
            parts.back().append(name, i, size);
    }
    return parts;
}

bool WindowsCanCreate(const std::string& name, std::string& why, int codePage) {
    for (const std::string& part : SplitParts(name, codePage))
        if (!WindowsTakesPart(part, why, codePage)) return false;
    return true;
}

bool SafeRelativePath(const std::string& name, std::vector<std::string>& parts, std::string& why, bool windowsRules,
                      int codePage) {
    parts.clear();
    // A name refused leaves no parts behind.
    auto refuse = [&](const std::string& reason) {
        parts.clear();
        return Refuse(why, reason);
    };
    if (name.find('\0') != std::string::npos) return refuse("the name holds a zero byte");
    if (name.find(':') != std::string::npos) return refuse("the name holds a drive letter or colon");
    if (!name.empty() && (name[0] == '/' || name[0] == '\\')) return refuse("the name is an absolute path");
    std::vector<std::string> split = SplitParts(name, codePage);
    for (const std::string& part : split) {
        // Windows drops trailing dots and blanks, so "..." or ". ." would climb up there too.
        if (part.size() >= 2 && part.find_first_not_of(". ") == std::string::npos)
            return refuse("the name holds a \"..\" part");
        if (windowsRules && !WindowsTakesPart(part, why, codePage)) return refuse(why);
        if (!part.empty() && part != ".") parts.push_back(part);
    }
    if (parts.empty()) return refuse("the name has no file part");
    if (split.back().empty()) return refuse("the name ends in a separator");
    return true;
}

std::string PathKey(const std::string& name, int codePage) {
    std::vector<std::string> parts;
    std::string why, key;
    if (!SafeRelativePath(name, parts, why, RunningOnWindows, codePage)) return "";
    // Parts are joined by the unit of '/', which no part's key holds.
    for (const std::string& part : parts) key += (key.empty() ? "" : std::string("\0/", 2)) + CharKey(part, codePage);
    return key;
}

}  // namespace sfx
