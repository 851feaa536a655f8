// Where under an output folder a member may be written: its name split into path parts, or the
// reason the name would lead out of the folder.
#pragma once
#include <string>
#include <vector>

namespace sfx {

// Slashes and backslashes both separate parts; empty and "." parts drop out. Refused: names
// with a ".." part, a colon (a drive letter, or a path of its own as the stub reads it), a
// leading separator, a zero byte, or no file part at all. On refusal, why says which.
bool SafeRelativePath(const std::string& name, std::vector<std::string>& parts, std::string& why);

}  // namespace sfx
