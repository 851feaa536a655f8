// What `list` prints: the named files and the member table with every problem found, as text
// for people or as JSON for programs. In JSON, names keep their valid UTF-8 and every other byte
// becomes the Latin-1 character of its value (names are in a Windows code page).
#pragma once
#include <string>
#include "Inspect.h"

namespace sfx {

std::string ListText(const Inspection& inspection, const std::string& path);
std::string ListJson(const Inspection& inspection, const std::string& path);

}  // namespace sfx
