// How a command ends: its exit code, and the failure that stops it early.
#pragma once
#include <stdexcept>
#include <string>

namespace sfx {

enum ExitCode { ExitOk = 0, ExitDamaged = 1, ExitUsage = 2 };

// Thrown to stop a command; main prints "sfxpack: " and the text, and exits with the code.
struct Failure : std::runtime_error {
    int code;
    Failure(int exitCode, const std::string& text) : std::runtime_error(text), code(exitCode) {}
};

// The worse of two outcomes: usage errors outrank damage, damage outranks success.
inline int Worse(int a, int b) { return a > b ? a : b; }

}  // namespace sfx
