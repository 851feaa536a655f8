// Foretelling the stub's run: its open, then one member read per named file, each through the
// same unpacking sfxpack's verify and extract use.
#include "read/StubRun.h"
#include <unordered_map>
#include "core/Names.h"
#include "read/DirectoryReader.h"
#include "read/Unpack.h"
#include "stub/Format.h"
#include "stub/Texts.h"

namespace sfx {

// The stub seeks to the signature, then to the trailer, then to the directory; the platform
// refuses a position before the file's start, and the stub shows its seek error and reads on
// from where it stands, which never loads a directory.
static std::vector<std::string> OpenBoxes(ByteView file, const Inspection& inspection) {
    bool signature = file.size() >= 4 && Get32(file, file.size() - 4) == ArchiveSignature;
    if (file.size() < 4 || (signature && file.size() < TrailerSize)) return {BoxSeekError};
    if (inspection.kind == FileKind::Installer && inspection.directoryOffset < 0) return {BoxSeekError};
    return {};
}

static Certainty Sureness(const Unpacked& unpacked) {
    if (!unpacked.ok) return Certainty::ProvenDamaged;
    return unpacked.checkMatched ? Certainty::CheckMatched : Certainty::NoCheck;
}

StubRun PredictStubRun(ByteView file, const Inspection& inspection) {
    StubRun run;
    run.openBoxes = OpenBoxes(file, inspection);
    if (!inspection.directoryLoaded) return run;
    std::unordered_map<std::string, size_t> first;
    for (const MemberEntry& member : inspection.members) first.emplace(NameKey(member.name), (size_t)member.index);

    std::vector<std::pair<Role, std::string>> named = {{Role::SetupProgram, inspection.setupProgram},
                                                       {Role::ProjectFile, inspection.projectFile}};
    for (const std::string& name : inspection.supportFiles) named.emplace_back(Role::SupportFile, name);
    // Repeated names unpack the same member again; each is unpacked once here.
    std::unordered_map<size_t, Unpacked> unpacked;
    for (const auto& [role, fullName] : named) {
        StubStep step;
        step.role = role;
        step.name = fullName.substr(0, fullName.find('\0'));
        step.path = step.name.find(':') != std::string::npos ? step.name : SetupFolderPath.path + ("\\" + step.name);
        auto found = first.find(NameKey(step.name));
        if (found != first.end()) {
            auto done = unpacked.find(found->second);
            if (done == unpacked.end())
                done = unpacked.emplace(found->second, UnpackMember(file, inspection.members[found->second])).first;
            const Unpacked& result = done->second;
            step.certainty = Sureness(result);
            if (result.written) {
                step.action = StubAction::Writes;
                step.data = result.data;
            } else if (!result.box.empty()) {
                step.action = StubAction::ShowsBox;
                step.box = result.box;
            }
        }
        run.steps.push_back(std::move(step));
    }
    return run;
}

}  // namespace sfx
