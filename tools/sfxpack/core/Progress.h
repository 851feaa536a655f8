// Long work reports how far it has got through this callback: bytes done out of a total.
#pragma once
#include <cstdint>
#include <functional>

namespace sfx {

using ProgressFn = std::function<void(uint64_t done, uint64_t total)>;

}  // namespace sfx
