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

// Whether Windows creates a file or folder of this one part of a name as it stands.
static bool WindowsTakesPart(const std::string& part, std::string& why) {
    for (unsigned char c : part) {
        if (c < 0x20) return Refuse(why, "it holds a control character");
        if (std::string("<>\"|?*").find((char)c) != std::string::npos)
            return Refuse(why, std::string("it holds '") + (char)c + "', which Windows forbids in names");
    }
    if (IsDeviceName(part)) return Refuse(why, "\"" + Printable(part) + "\" is a device name on Windows");
    if (!part.empty() && part != "." && part != ".." && (part.back() == '.' || part.back() == ' '))
        return Refuse(why, "\"" + Printable(part) + "\" ends in a dot or blank, which Windows drops");
    return true;
}

bool WindowsCanCreate(const std::string& name, std::string& why) {
    size_t begin = 0;
    for (size_t end = 0; end <= name.size(); ++end) {
        if (end < name.size() && name[end] != '/' && name[end] != '\\') continue;
        if (!WindowsTakesPart(name.substr(begin, end - begin), why)) return false;
        begin = end + 1;
    }
    return true;
}

bool SafeRelativePath(const std::string& name, std::vector<std::string>& parts, std::string& why, bool windowsRules) {
    parts.clear();
    // A name refused leaves no parts behind.
    auto refuse = [&](const std::string& reason) {
        parts.clear();
        return Refuse(why, reason);
    };
    if (name.find('\0') != std::string::npos) return refuse("the name holds a zero byte");
    if (name.find(':') != std::string::npos) return refuse("the name holds a drive letter or colon");
    if (!name.empty() && (name[0] == '/' || name[0] == '\\')) return refuse("the name is an absolute path");
    std::string part;
    for (size_t i = 0; i <= name.size(); ++i) {
        if (i < name.size() && name[i] != '/' && name[i] != '\\') {
            part += name[i];
            continue;
        }
        // Windows drops trailing dots and blanks, so "..." or ". ." would climb up there too.
        if (part.size() >= 2 && part.find_first_not_of(". ") == std::string::npos)
            return refuse("the name holds a \"..\" part");
        if (windowsRules && !WindowsTakesPart(part, why)) return refuse(why);
        if (!part.empty() && part != ".") parts.push_back(part);
        part.clear();
    }
    if (parts.empty()) return refuse("the name has no file part");
    if (name.back() == '/' || name.back() == '\\') return refuse("the name ends in a separator");
    return true;
}

std::string PathKey(const std::string& name) {
    std::vector<std::string> parts;
    std::string why, key;
    if (!SafeRelativePath(name, parts, why)) return "";
    for (const std::string& part : parts) key += (key.empty() ? "" : "/") + NameKey(part);
    return key;
}

}  // namespace sfx
