// The one way sfxpack's checks say no: a check returns false and puts the reason in `why`, as in
// `if (!SafeRelativePath(name, parts, why))`; Refuse does both in one return.
#pragma once
#include <string>

namespace sfx {

inline bool Refuse(std::string& why, const std::string& reason) {
    why = reason;
    return false;
}

}  // namespace sfx
