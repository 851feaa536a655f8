// The failure of a file or folder that sfxpack reads or writes; the text names it and says why.
// The command line maps it to exit 2, as it maps the writer's errors.
#pragma once
#include <stdexcept>

namespace sfx {

struct IoError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

}  // namespace sfx
