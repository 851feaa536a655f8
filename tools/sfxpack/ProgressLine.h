// A progress line on stderr, shown only when stderr is a terminal and the work is large.
#pragma once
#include <string>
#include "Progress.h"

namespace sfx {

class ProgressLine {
public:
    // Work below 16 MiB ends too soon for a progress line to help.
    explicit ProgressLine(const std::string& verb, uint64_t smallest = 16u << 20);
    ~ProgressLine();  // clears the line when one was shown
    ProgressLine(const ProgressLine&) = delete;
    ProgressLine& operator=(const ProgressLine&) = delete;

    // The callback to hand to the work; it reports bytes done out of a total.
    ProgressFn callback();

private:
    std::string verb;
    uint64_t smallest;
    bool terminal;
    int shown = -1;  // the percentage on the line, -1 before the first
};

}  // namespace sfx
