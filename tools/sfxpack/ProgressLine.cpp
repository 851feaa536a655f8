// The progress line: rewritten in place with a carriage return, only when the percentage moves.
#include "ProgressLine.h"
#include <cstdio>
#include "Host.h"

namespace sfx {

ProgressLine::ProgressLine(const std::string& verb, uint64_t smallest)
    : verb(verb), smallest(smallest), terminal(StderrIsTerminal()) {}

ProgressLine::~ProgressLine() {
    if (shown >= 0) std::fprintf(stderr, "\r%*s\r", (int)verb.size() + 16, "");
}

ProgressFn ProgressLine::callback() {
    if (!terminal) return {};
    return [this](uint64_t done, uint64_t total) {
        if (total < smallest) return;
        int percent = (int)(done * 100 / total);
        if (percent == shown) return;
        shown = percent;
        std::fprintf(stderr, "\rsfxpack: %s %3d%%", verb.c_str(), percent);
        std::fflush(stderr);
    };
}

}  // namespace sfx
