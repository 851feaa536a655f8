// Where under an output folder a member may be written: its name split into path parts, or the
// reason the name would lead out of the folder.
#pragma once
#include <string>
#include <vector>

namespace sfx {

#ifdef _WIN32
constexpr bool RunningOnWindows = true;
#else
constexpr bool RunningOnWindows = false;
#endif

// Slashes and backslashes both separate parts; empty and "." parts drop out. Refused: names
// with a ".." part, a colon (a drive letter, or a path of its own as the stub reads it), a
// leading separator, a zero byte, or no file part at all. On refusal, why says which.
// With windowsRules, also parts that Windows would write somewhere else or under another name: a
// device name (CON, NUL, AUX, PRN, COM1-9, LPT1-9, with any extension), a part that ends in a dot
// or a blank (Windows drops them), and the characters < > " | ? * and controls.
bool SafeRelativePath(const std::string& name, std::vector<std::string>& parts, std::string& why,
                      bool windowsRules = RunningOnWindows);

// The output path a name lands on, compared as Windows compares paths the stub writes: parts
// split at either separator, empty and "." parts gone, A-Z folded. Names with equal keys are
// written to one file. Empty for a name SafeRelativePath refuses.
std::string PathKey(const std::string& name);

// Why Windows can't create a file of this name, or empty: a device name (CON, NUL, COM1...)
// as a part, a character it forbids (< > " | ? * or a control byte), or a part ending in a dot
// or blank, which Windows drops.
std::string WindowsNameProblem(const std::string& name);

}  // namespace sfx
