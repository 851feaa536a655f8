// A progress line on stderr, shown only when stderr is a terminal, the work is large and the
// command is not quiet. It counts bytes, and is cleared before anything else is printed.
#pragma once
#include <cstdio>
#include <string>
#include "core/Progress.h"

namespace sfx {

class ProgressLine {
public:
    // Work below 16 MiB ends too soon for a progress line to help.
    explicit ProgressLine(const std::string& verb, bool quiet = false, uint64_t smallest = 16u << 20);
    ~ProgressLine();  // clears the line when one was shown
    ProgressLine(const ProgressLine&) = delete;
    ProgressLine& operator=(const ProgressLine&) = delete;

    // The callback to hand to the work; it reports bytes done out of a total.
    ProgressFn callback();

    // Takes the line away so that other output starts at the left; the next report redraws it.
    void clear();

    // Prints a line on the stream (stdout or stderr), the progress line taken away first.
    void print(FILE* stream, const std::string& line);

private:
    std::string verb;
    uint64_t smallest;
    bool terminal;
    int shown = -1;  // the tenth of a percent on the line, -1 when none is shown
};

}  // namespace sfx
