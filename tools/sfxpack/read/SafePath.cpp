// Member names made into relative paths that stay inside the output folder.
#include "read/SafePath.h"
#include "core/Names.h"

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

bool SafeRelativePath(const std::string& name, std::vector<std::string>& parts, std::string& why, bool windowsRules) {
    parts.clear();
    auto refuse = [&](const char* reason) {
        parts.clear();
        why = reason;
        return false;
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
        if (windowsRules && !part.empty() && part != ".") {
            if (IsDeviceName(part)) return refuse("the name holds a Windows device name");
            if (part.back() == '.' || part.back() == ' ') return refuse("a part of the name ends in a dot or blank");
            for (unsigned char c : part)
                if (c < 0x20 || std::string("<>\"|?*").find((char)c) != std::string::npos)
                    return refuse("the name holds a character that Windows refuses in names");
        }
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

static bool DeviceName(std::string part) {
    part = NameKey(part.substr(0, part.find('.')));
    while (!part.empty() && part.back() == ' ') part.pop_back();
    static const char* const devices[] = {"con", "prn", "aux", "nul"};
    for (const char* device : devices)
        if (part == device) return true;
    return part.size() == 4 && (part.compare(0, 3, "com") == 0 || part.compare(0, 3, "lpt") == 0) &&
           part[3] >= '1' && part[3] <= '9';
}

std::string WindowsNameProblem(const std::string& name) {
    std::string part;
    for (size_t i = 0; i <= name.size(); ++i) {
        char c = i < name.size() ? name[i] : '/';
        if (c != '/' && c != '\\') {
            if ((unsigned char)c < 0x20) return "it holds a control character";
            if (std::string("<>\"|?*").find(c) != std::string::npos)
                return std::string("it holds '") + c + "', which Windows forbids in names";
            part += c;
            continue;
        }
        if (DeviceName(part)) return "\"" + Printable(part) + "\" is a device name on Windows";
        if (!part.empty() && part != "." && part != ".." && (part.back() == '.' || part.back() == ' '))
            return "\"" + Printable(part) + "\" ends in a dot or blank, which Windows drops";
        part.clear();
    }
    return "";
}

}  // namespace sfx
