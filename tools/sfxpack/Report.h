// What `list` prints: the named files and the member table with every problem found, as text
// for people or as JSON for programs.
#pragma once
#include <string>
#include "Inspect.h"

namespace sfx {

std::string ListText(const Inspection& inspection, const std::string& path);
std::string ListJson(const Inspection& inspection, const std::string& path);

// A JSON string literal of the bytes: valid UTF-8 kept, every other byte taken as the Latin-1
// character of that value (names are in a Windows code page, not in UTF-8).
std::string JsonString(const std::string& bytes);

const char* MethodName(int32_t method);  // "stored", "deflated", or "unknown"
const char* RoleName(Role role);         // "setup", "project", "support", or "-"

}  // namespace sfx
