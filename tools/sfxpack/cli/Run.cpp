// The command line: the tool's own options, then dispatch to a command; failures become a
// "sfxpack: " line on stderr and an exit code.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <new>
#include "cli/Args.h"
#include "cli/Commands.h"
#include "cli/Stubs.h"
#include "core/Digest.h"
#include "core/Names.h"
#include "host/HostPath.h"
#include "host/IoError.h"

namespace sfx {

static bool AsksForHelp(const Words& words) {
    auto end = std::find(words.begin(), words.end(), "--");
    return std::find_if(words.begin(), end, [](const std::string& w) { return w == "--help" || w == "-h"; }) != end;
}

// The stub that create would pack by default, and its size.
static void PrintStub(const char* label, StubKind kind) {
    std::string path = FindStub(kind);
    std::error_code error;
    uintmax_t size = path.empty() ? 0 : std::filesystem::file_size(HostPath(path), error);
    if (path.empty() || error)
        std::printf("%-15s none found (name one with --stub)\n", label);
    else
        std::printf("%-15s %s, %ju bytes\n", label, Printable(path).c_str(), size);
}

static int Dispatch(const Words& words) {
    if (words.empty()) throw Usage("", "no command given");
    const std::string& command = words[0];
    if (command == "--help" || command == "-h") {
        std::fputs(HelpText(""), stdout);
        return ExitOk;
    }
    if (command == "--version") {
        std::printf("sfxpack %s\n", SFX_VERSION);
        PrintStub("stub:", StubKind::Win32);
        PrintStub("with --stub64:", StubKind::Win64);
        return ExitOk;
    }
    Words rest(words.begin() + 1, words.end());
    if (!command.empty() && HelpText(command) && AsksForHelp(rest)) {
        std::fputs(HelpText(command), stdout);
        return ExitOk;
    }
    if (command == "create") return CreateCommand(rest);
    if (command == "list") return ListCommand(rest);
    if (command == "verify") return VerifyCommand(rest);
    if (command == "extract") return ExtractCommand(rest);
    if (command == "restub") return RestubCommand(rest);
    throw Usage("", (command[0] == '-' ? "unknown option " : "unknown command ") + Printable(command));
}

int RunSfxpack(const Words& words) {
    try {
        int code = Dispatch(words);
        std::fflush(stdout);
        return code;
    } catch (const Failure& failure) {
        std::fflush(stdout);
        std::fprintf(stderr, "sfxpack: %s\n", failure.what());
        return failure.code;
    } catch (const IoError& error) {
        // A file or folder that can't be read or written: the input is unusable as given.
        std::fflush(stdout);
        std::fprintf(stderr, "sfxpack: %s\n", error.what());
        return ExitUsage;
    } catch (const DigestError& error) {
        // The system's hashing failed: nothing the input did.
        std::fflush(stdout);
        std::fprintf(stderr, "sfxpack: %s\n", error.what());
        return ExitUsage;
    } catch (const std::bad_alloc&) {
        std::fflush(stdout);
        std::fprintf(stderr, "sfxpack: out of memory\n");
        return ExitUsage;
    }
}

}  // namespace sfx
