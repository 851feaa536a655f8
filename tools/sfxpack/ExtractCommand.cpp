// sfxpack extract: every selected member unpacked and written under the output folder, going on
// past damaged or refused members.
#include <cstdio>
#include <filesystem>
#include "Args.h"
#include "Commands.h"
#include "Host.h"
#include "Inspect.h"
#include "Names.h"
#include "ProgressLine.h"
#include "SafePath.h"
#include "Unpack.h"

namespace sfx {

namespace fs = std::filesystem;

// The path under the folder, with the folders on the way made; or the exit code of the failure,
// with why set. No folder on the way, nor the file, may be a symbolic link: it could lead
// anywhere. Names are in the installer's code page, which is what a plain path takes on Windows.
static int PrepareTarget(const fs::path& folder, const std::vector<std::string>& parts, fs::path& path,
                         std::string& why) {
    path = folder;
    std::error_code error;
    for (size_t i = 0; i < parts.size(); ++i) {
        path /= fs::path(parts[i]);
        if (fs::is_symlink(fs::symlink_status(path, error))) {
            why = "refused: " + Printable(path.string()) + " is a symbolic link";
            return ExitDamaged;
        }
        if (i + 1 < parts.size() && !fs::is_directory(path, error)) {
            fs::create_directory(path, error);
            if (error) {
                why = "cannot create the folder " + Printable(path.string()) + ": " + error.message();
                return ExitUsage;
            }
        }
    }
    return ExitOk;
}

int ExtractCommand(const Words& words) {
    Args args("extract", words);
    std::string path, folder = ".";
    bool quiet = false;
    Words patterns;
    while (!args.done()) {
        if (!args.atOption()) {
            if (path.empty())
                path = args.operand();
            else
                patterns.push_back(args.operand());
            continue;
        }
        std::string option = args.option();
        if (option == "-d" || option == "--directory") {
            folder = args.value();
        } else if (option == "-q" || option == "--quiet") {
            args.flag();
            quiet = true;
        } else {
            args.unknown();
        }
    }
    if (path.empty()) throw Usage("extract", "FILE is required");

    Bytes file = ReadInput(path);
    Inspection inspection = Inspect(file);
    RequireInstaller(inspection, path);
    int code = ExitOk;
    for (const Problem& problem : inspection.problems)
        if (problem.severity == Severity::Error && problem.member < 0) {
            std::fprintf(stderr, "sfxpack: %s: %s\n", Printable(path).c_str(), problem.text.c_str());
            code = ExitDamaged;
        }

    // The stub reads the first entry of a name; later ones are never unpacked.
    std::vector<const MemberEntry*> chosen;
    std::vector<bool> matched(patterns.size(), false);
    uint64_t total = 0;
    for (const MemberEntry& member : inspection.members) {
        if (member.readBy != member.index) continue;
        bool wanted = patterns.empty();
        for (size_t i = 0; i < patterns.size(); ++i)
            if (MatchGlob(patterns[i], member.name)) wanted = matched[i] = true;
        if (!wanted) continue;
        chosen.push_back(&member);
        if (member.fault.empty()) total += (uint64_t)member.storedSize;
    }
    for (size_t i = 0; i < patterns.size(); ++i)
        if (!matched[i]) {
            std::fprintf(stderr, "sfxpack: no member matches %s\n", Printable(patterns[i]).c_str());
            code = Worse(code, ExitUsage);
        }
    if (!chosen.empty()) MakeFolders(folder);

    ProgressLine progress("extracting", quiet);
    ProgressFn report = progress.callback();
    uint64_t done = 0;
    for (const MemberEntry* member : chosen) {
        std::string name = Printable(member->name), why;
        std::vector<std::string> parts;
        // The line stands while the member unpacks, and goes before anything is printed, so
        // that messages start at the left.
        if (report) report(done, total);
        if (!SafeRelativePath(member->name, parts, why)) {
            progress.clear();
            std::fprintf(stderr, "sfxpack: %s: refused: %s\n", name.c_str(), why.c_str());
            code = Worse(code, ExitDamaged);
            continue;
        }
        Unpacked unpacked = UnpackMember(file, *member);
        if (member->fault.empty()) done += (uint64_t)member->storedSize;
        progress.clear();
        // Exactly what the stub writes is written: nothing where it shows a box or finds nothing,
        // and bytes it accepts even where they are proven damaged, with a warning.
        if (!unpacked.written) {
            std::fprintf(stderr, "sfxpack: %s: damaged: %s\n", name.c_str(), unpacked.detail.c_str());
            code = Worse(code, ExitDamaged);
            continue;
        }
        fs::path target;
        if (int failed = PrepareTarget(fs::path(folder), parts, target, why)) {
            std::fprintf(stderr, "sfxpack: %s: %s\n", name.c_str(), why.c_str());
            code = Worse(code, failed);
            continue;
        }
        try {
            WriteOutput(target.string(), unpacked.data);
        } catch (const Failure& failure) {
            std::fprintf(stderr, "sfxpack: %s\n", failure.what());
            code = Worse(code, failure.code);
            continue;
        }
        if (!quiet) std::printf("%s\n", Printable(target.string()).c_str());
        if (!unpacked.ok) {
            std::fprintf(stderr, "sfxpack: %s: written as the stub writes it, but damaged: %s\n", name.c_str(),
                         unpacked.detail.c_str());
            code = Worse(code, ExitDamaged);
        }
    }
    return code;
}

}  // namespace sfx
