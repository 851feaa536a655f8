// The progress line: rewritten in place with a carriage return each time the share done moves by
// a tenth of a percent, with the bytes done out of the total.
#include "cli/ProgressLine.h"
#include <cstdio>
#include "host/System.h"

namespace sfx {

// The line is never longer than this, so this many blanks wipe it.
static const int LineWidth = 72;

ProgressLine::ProgressLine(const std::string& verb, bool quiet, uint64_t smallest)
    : verb(verb), smallest(smallest), terminal(!quiet && IsTerminal(stderr)) {}

ProgressLine::~ProgressLine() { clear(); }

void ProgressLine::clear() {
    if (shown < 0) return;
    std::fprintf(stderr, "\r%*s\r", LineWidth, "");
    std::fflush(stderr);
    shown = -1;
}

void ProgressLine::print(FILE* stream, const std::string& line) {
    clear();
    std::fprintf(stream, "%s\n", line.c_str());
}

ProgressFn ProgressLine::callback() {
    if (!terminal) return {};
    return [this](uint64_t done, uint64_t total) {
        if (total < smallest) return;
        int permille = (int)(done * 1000 / total);
        if (permille == shown) return;
        shown = permille;
        // What went to stdout must land before the line is drawn beneath it.
        std::fflush(stdout);
        std::fprintf(stderr, "\rsfxpack: %.40s %5.1f%%  %.1f of %.1f MiB ", verb.c_str(), permille / 10.0,
                     (double)done / (1 << 20), (double)total / (1 << 20));
        std::fflush(stderr);
    };
}

}  // namespace sfx
