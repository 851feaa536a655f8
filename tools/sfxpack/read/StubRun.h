// The stub's whole extraction run foretold from the bytes: the boxes that opening the archive
// shows, then for each named file in the order the stub unpacks them what it does (writes these
// bytes to this path, shows this box, or finds nothing) and how sure that is.
#pragma once
#include <string>
#include <vector>
#include "core/Bytes.h"
#include "read/Inspection.h"

namespace sfx {

enum class StubAction { Writes, ShowsBox, FindsNothing };
enum class Certainty { CheckMatched, NoCheck, ProvenDamaged };

struct StubStep {
    Role role = Role::Other;
    std::string name;  // as the stub holds it: cut at its first zero byte
    std::string path;  // where the stub writes it: the name itself when it holds a colon
    StubAction action = StubAction::FindsNothing;
    Bytes data;        // what it writes
    std::string box;   // the error box it shows instead
    Certainty certainty = Certainty::NoCheck;
};

struct StubRun {
    std::vector<std::string> openBoxes;  // error boxes shown while the archive is opened
    std::vector<StubStep> steps;         // set-up program, project file, support files
};

StubRun PredictStubRun(ByteView file, const Inspection& inspection);

}  // namespace sfx
