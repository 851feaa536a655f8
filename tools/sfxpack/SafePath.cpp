// Member names made into relative paths that stay inside the output folder.
#include "SafePath.h"

namespace sfx {

bool SafeRelativePath(const std::string& name, std::vector<std::string>& parts, std::string& why) {
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
        if (!part.empty() && part != ".") parts.push_back(part);
        part.clear();
    }
    if (parts.empty()) return refuse("the name has no file part");
    if (name.back() == '/' || name.back() == '\\') return refuse("the name ends in a separator");
    return true;
}

}  // namespace sfx
