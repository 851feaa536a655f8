// Where under an output folder a member may be written: its name split into path parts, or the
// reason the name would lead out of the folder.
#pragma once
#include <string>
#include <vector>
#include "core/CodePage.h"

namespace sfx {

#ifdef _WIN32
constexpr bool RunningOnWindows = true;
#else
constexpr bool RunningOnWindows = false;
#endif

// Whether Windows can create a file of this name as it stands; false, with why, when a part of
// it is a device name (CON, NUL, AUX, PRN, CONIN$, CONOUT$, COM1-9, LPT1-9, with any extension),
// holds a character Windows forbids (< > " | ? * or a control byte), or ends in a dot or a
// blank, which Windows drops. list flags these names; extract refuses them on Windows. In a
// double-byte code page every rule here and below goes by characters: a second byte that is
// '\\' or '|' is part of its character, not a separator or a forbidden character.
bool WindowsCanCreate(const std::string& name, std::string& why, int codePage = DefaultCodePage);

// Slashes and backslashes both separate parts; empty and "." parts drop out. Refused: names
// with a ".." part, a colon (a drive letter, or a path of its own as the stub reads it), a
// leading separator, a zero byte, or no file part at all; with windowsRules, also names that
// WindowsCanCreate refuses. On refusal, why says which.
bool SafeRelativePath(const std::string& name, std::vector<std::string>& parts, std::string& why,
                      bool windowsRules = RunningOnWindows, int codePage = DefaultCodePage);

// The output path a name lands on, compared as Windows compares paths the stub writes: parts
// split at either separator, empty and "." parts gone, each upper-cased as Windows does
// (CharKey). Names with equal keys are written to one file. Empty for a name SafeRelativePath
// refuses.
std::string PathKey(const std::string& name, int codePage = DefaultCodePage);

}  // namespace sfx
