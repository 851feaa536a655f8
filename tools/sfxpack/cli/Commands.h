// The sfxpack commands. Each takes the words after its name and returns the exit code, or
// throws Failure, or lets the host's IoError through for RunSfxpack to map to exit 2.
#pragma once
#include <cstdint>
#include <string>
#include <vector>
#include "core/Bytes.h"

namespace sfx {

struct Inspection;

using Words = std::vector<std::string>;

int CreateCommand(const Words& words);
int ListCommand(const Words& words);
int VerifyCommand(const Words& words);
int ExtractCommand(const Words& words);
int RestubCommand(const Words& words);

// Stops the command unless the inspected file is an installer: exit 2 for a file that is none,
// 1 for one that is cut short.
void RequireInstaller(const Inspection& inspection, const std::string& path);

// Stops the command with exit 2 unless the bytes can serve as a stub.
void RequireStub(ByteView stub, const std::string& path);

// A signed stub made unsigned in place, with a note on stderr saying so.
void RemoveStubSignature(Bytes& stub, const std::string& path);

// The stub as create and restub put it before an archive, checked with RequireStub: the bytes
// in place, or, when the stub is signed, a copy made unsigned in `copy` (stubs are small).
ByteView UsableStub(ByteView stub, const std::string& path, Bytes& copy);

// The help of a command, or the whole tool's for an empty name; null for an unknown command.
const char* HelpText(const std::string& command);

// Runs a whole command line: the tool's options, or a command and its words.
int RunSfxpack(const Words& words);

}  // namespace sfx
