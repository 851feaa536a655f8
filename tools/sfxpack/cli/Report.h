// What `list` prints: the named files and the member table, as text for people (the problems
// found go to stderr apart) or as JSON for programs, problems included. In JSON every name comes
// twice: decoded from the code page given ("codePage") to UTF-8, each byte that is no character
// in it shown as U+FFFD, and as hex digits of its bytes, which keep the name exactly.
#pragma once
#include <string>
#include "core/Json.h"
#include "read/Face.h"
#include "read/Inspection.h"

namespace sfx {

// With a face, the icon groups and version strings of the stub too.
std::string ListText(const Inspection& inspection, const std::string& path, const Face* face = nullptr);
std::string ListJson(const Inspection& inspection, const std::string& path, const Face* face = nullptr);

// The problems as diagnostics on stderr, after what went to stdout; without memberErrors, the
// errors that concern one member are left to be shown beside it.
void PrintProblems(const Inspection& inspection, bool memberErrors);

}  // namespace sfx
