// Member names: the stub's comparison, globs, and printable forms.
#include "core/Names.h"
#include <cstdint>
#include <cstdio>
#include "stub/Format.h"

namespace sfx {

std::string NameKey(const std::string& name) {
    std::string key = name.substr(0, name.find('\0'));
    for (char& c : key) c = (char)FoldAscii((unsigned char)c);
    return key;
}

bool SameName(const std::string& a, const std::string& b) { return NameKey(a) == NameKey(b); }

bool MatchGlob(const std::string& pattern, const std::string& name) {
    std::string p = NameKey(pattern), n = NameKey(name);
    // Greedy with one backtrack point: the last '*' seen and where in the name it was tried.
    size_t pi = 0, ni = 0, star = std::string::npos, resume = 0;
    while (ni < n.size()) {
        if (pi < p.size() && (p[pi] == '?' || p[pi] == n[ni])) {
            ++pi;
            ++ni;
        } else if (pi < p.size() && p[pi] == '*') {
            star = pi++;
            resume = ni;
        } else if (star != std::string::npos) {
            pi = star + 1;
            ni = ++resume;
        } else {
            return false;
        }
    }
    while (pi < p.size() && p[pi] == '*') ++pi;
    return pi == p.size();
}

size_t Utf8Length(const std::string& s, size_t i) {
    unsigned char c = (unsigned char)s[i];
    size_t length = c >= 0xF0 && c <= 0xF4 ? 4 : c >= 0xE0 ? 3 : c >= 0xC2 && c < 0xE0 ? 2 : 0;
    if (!length || i + length > s.size()) return 0;
    uint32_t code = c & (0x7F >> length);
    for (size_t k = 1; k < length; ++k) {
        unsigned char t = (unsigned char)s[i + k];
        if ((t & 0xC0) != 0x80) return 0;
        code = code << 6 | (t & 0x3F);
    }
    static const uint32_t Least[] = {0, 0, 0xA0, 0x800, 0x10000};
    if (code < Least[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return 0;
    return length;
}

std::string Printable(const std::string& name) {
    std::string out;
    for (size_t i = 0; i < name.size();) {
        unsigned char c = (unsigned char)name[i];
        if (c >= 0x20 && c < 0x7F) {
            out += (char)c;
            ++i;
            continue;
        }
        size_t length = c >= 0x80 ? Utf8Length(name, i) : 0;
        if (length) {
            out.append(name, i, length);
            i += length;
            continue;
        }
        char hex[5];
        std::snprintf(hex, sizeof hex, "\\x%02x", c);
        out += hex;
        ++i;
    }
    return out;
}

}  // namespace sfx
