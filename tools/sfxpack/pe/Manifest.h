// Application manifests (RT_MANIFEST): the one sfxpack writes with the execution level an
// author chose, the checks an author's own manifest must pass, and what list reads from one.
#pragma once
#include <string>
#include <vector>
#include "core/Bytes.h"

namespace sfx {

// The manifest Windows reads when it starts a program (CREATEPROCESS_MANIFEST_RESOURCE_ID).
const uint16_t ProcessManifestId = 1;
// The largest manifest taken or read: real ones are a few KiB; this bounds the rebuilt section
// and the reader's work on a hostile one.
const size_t MaxManifestSize = 65536;

enum class ExecutionLevel { Unset, AsInvoker, HighestAvailable, RequireAdministrator };

// "asInvoker", "highestAvailable" or "requireAdministrator", as Windows spells them.
bool ParseExecutionLevel(const std::string& text, ExecutionLevel& level);

// The stubs' own manifest (the Windows versions they support, nothing else) with the level's
// trustInfo added; Unset gives the stubs' bytes exactly.
Bytes MakeManifest(ExecutionLevel level);

// Empty when the bytes can stand as an author's manifest: at most MaxManifestSize bytes of
// well-formed UTF-8 XML whose root is an assembly in the urn:schemas-microsoft-com:asm.v1

struct ManifestFace {
    std::string level;  // as written; empty when none is requested (Windows decides)
    bool uiAccess = false;
    std::vector<std::string> supportedOs;  // names of the known ids, the others as written
    std::string dpiAware, dpiAwareness;    // the settings' text, empty when absent
};

// What the manifest says; empty when it reads cleanly, else what is wrong with it (the parts
// read before the fault are kept).
std::string ReadManifest(ByteView manifest, ManifestFace& face);

// Empty when the bytes can stand as an author's manifest: at most MaxManifestSize bytes of
// well-formed UTF-8 XML whose root is an assembly in the urn:schemas-microsoft-com:asm.v1
// namespace, requesting no execution level but the three; else why not.
std::string CheckManifest(ByteView manifest);

}  // namespace sfx
