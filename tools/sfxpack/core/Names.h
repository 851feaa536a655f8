// Member names as the stub sees them: compared without regard to ASCII case, matched by globs,
// and made safe to print.
#pragma once
#include <string>

namespace sfx {

// The form under which the stub compares a name: cut at its first zero byte (the stub holds
// names as C strings) with A-Z folded to a-z and every other byte left alone.
std::string NameKey(const std::string& name);

bool SameName(const std::string& a, const std::string& b);

// '*' matches any run of bytes, '?' any one byte; everything else matches itself, compared as
// the stub compares names.
bool MatchGlob(const std::string& pattern, const std::string& name);

// The length of the valid UTF-8 sequence of two to four bytes at text[at] (no overlong forms,
// surrogates or C1 controls), or 0.
size_t Utf8Length(const std::string& text, size_t at);

// The name with control bytes and bytes that are not valid UTF-8 written as \xNN, so hostile
// names can't drive a terminal.
std::string Printable(const std::string& name);

}  // namespace sfx
