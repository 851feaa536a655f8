// Packing: names checked as the stub will compare them, members made, the layout written.
#include "Pack.h"
#include <climits>
#include <cstdint>
#include <set>
#include "Names.h"

namespace sfx {

Member PackMember(const PackFile& file, const PackOptions& options) {
    Member member{file.name, file.data, Stored};
    for (const std::string& glob : options.storeGlobs)
        if (MatchGlob(glob, file.name)) return member;
    Bytes deflated = DeflateMember(file.data, options.level, options.keepCheck);
    if (deflated.size() < file.data.size()) {
        member.stored = std::move(deflated);
        member.method = Deflated;
    }
    return member;
}

Bytes Pack(const PackInputs& inputs, const PackOptions& options, const ProgressFn& progress) {
    std::vector<const PackFile*> files{&inputs.setupProgram, &inputs.projectFile};
    for (const PackFile& file : inputs.supportFiles) files.push_back(&file);
    for (const PackFile& file : inputs.others) files.push_back(&file);

    // The stub finds members by name, first match wins: a second file under the same name
    // would never be read.
    std::set<std::string> keys;
    uint64_t total = 0;
    for (const PackFile* file : files) {
        if (NameKey(file->name).empty()) throw PackError("a member name is empty");
        if (!keys.insert(NameKey(file->name)).second)
            throw PackError("two members are named " + Printable(file->name) + " (names are compared ignoring case)");
        // A deflated member declares its size in 32 signed bits.
        if (file->data.size() > INT32_MAX) throw PackError(Printable(file->name) + " is over 2 GiB");
        total += file->data.size();
    }

    Directory directory;
    directory.setupProgram = inputs.setupProgram.name;
    directory.projectFile = inputs.projectFile.name;
    for (const PackFile& file : inputs.supportFiles) directory.supportFiles.push_back(file.name);
    for (size_t i = 1; i < files.size(); ++i) directory.extraNames.push_back(files[i]->name);

    try {
        std::vector<Member> members;
        uint64_t done = 0;
        for (const PackFile* file : files) {
            members.push_back(PackMember(*file, options));
            done += file->data.size();
            if (progress) progress(done, total);
        }
        return BuildInstaller(inputs.stub, directory, members);
    } catch (const PackError&) {
        throw;
    } catch (const std::runtime_error& error) {
        // Deflate failing, or offsets beyond what 32 signed bits reach.
        throw PackError(error.what());
    }
}

}  // namespace sfx
