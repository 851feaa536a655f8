// Upper-casing as Windows does it when it compares file names: one UTF-16 code unit at a time.
#pragma once
#include <cstddef>
#include <cstdint>

namespace sfx {

// The unit upper-cased by the simple mapping of the Basic Multilingual Plane ('é' to 'É', 'ф' to
// 'Ф'); a unit without one, a surrogate included, stands as it is.
char16_t WindowsUpper(char16_t unit);

}  // namespace sfx
