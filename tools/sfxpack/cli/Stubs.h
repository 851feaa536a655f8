// Where sfxpack finds the stub that it packs when none is named: the installed one beside the
// tool first, then the one in the build tree, so the tool works both installed and built.
#pragma once
#include <string>
#include <vector>

namespace sfx {

enum class StubKind { Win32, Win64 };

const char* StubFileName(StubKind kind);  // sfxstub.exe or sfxstub64.exe

// The places looked at, in order: ../share/sfx beside the tool (and, on Windows, the tool's own
// folder), then the stubs this build made, then those of the win32 and win64 presets.
std::vector<std::string> StubPlaces(StubKind kind);

// The first of those places that holds a file, or empty.
std::string FindStub(StubKind kind);

// The stub a command packs: the one given with --stub, else the one found; throws a usage error
// naming the places looked at when there is none.
std::string ChooseStub(const std::string& command, const std::string& given, bool wide);

class Args;

// The options of the commands that pack a stub (create, restub): --stub PATH, --stub64 and -q.
struct StubOptions {
    std::string given;
    bool wide = false;
    bool quiet = false;

    // Takes the option just read when it is one of these; false leaves it to the command.
    bool read(Args& args, const std::string& option);
    std::string choose(const std::string& command) const { return ChooseStub(command, given, wide); }
};

}  // namespace sfx
