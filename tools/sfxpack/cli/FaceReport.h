// The face of an installer as list shows it: lines of text after the named files, and fields of
// the JSON object.
#pragma once
#include <string>
#include "read/Face.h"

namespace sfx {

// "icon:", "version:" and "manifest:" lines, each ending in a newline; nothing for a face without them.
std::string FaceText(const Face& face);

// The "icons", "version" and "manifest" fields, each on its own line ending in ",\n".
std::string FaceJson(const Face& face);

}  // namespace sfx
