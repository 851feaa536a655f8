// sfxpack extract: every selected member unpacked and written under the output folder, going on
// past damaged or refused members.
#include <algorithm>
#include <cstdio>
#include <map>
#include <tuple>
#include <filesystem>
#include "cli/Args.h"
#include "read/Clashes.h"
#include "cli/Commands.h"
#include "host/Host.h"
#include "read/Inspect.h"
#include "core/Names.h"
#include "cli/ProgressLine.h"
#include "read/SafePath.h"
#include "read/Unpack.h"

namespace sfx {

namespace fs = std::filesystem;

// The folders made on the way, so that those left empty when extraction fails go again.
struct MadeFolders {
    std::vector<fs::path> made;

    // Makes the folder and any missing above it; the error is set on failure.
    void make(const fs::path& folder, std::error_code& error) {
        std::vector<fs::path> missing;
        for (fs::path at = folder; !at.empty() && !fs::exists(fs::symlink_status(at, error)); at = at.parent_path()) {
            missing.push_back(at);
            if (at == at.parent_path()) break;
        }
        for (auto it = missing.rbegin(); it != missing.rend(); ++it) {
            if (!fs::create_directory(*it, error) && error) return;
            made.push_back(*it);
        }
        error.clear();
    }

    // Deepest first; a folder that holds anything stays.
    void removeEmpty() {
        std::error_code error;
        for (auto it = made.rbegin(); it != made.rend(); ++it)
            if (fs::is_empty(*it, error)) fs::remove(*it, error);
    }
};

// The path under the folder, with the folders on the way made; or the exit code of the failure,
// with why set. No folder on the way, nor the file, may be a symbolic link: it could lead
// anywhere. Names are in the installer's code page, which is what a plain path takes on Windows.
static int PrepareTarget(const fs::path& folder, const std::vector<std::string>& parts, fs::path& path,
                         std::string& why, MadeFolders& folders) {
    // Checked before any folder is made: a name the system can't take leaves nothing behind.
    const size_t MaxPart = 255, MaxPath = 4000;
    size_t length = folder.string().size();
    for (const std::string& part : parts) length += part.size() + 1;
    for (const std::string& part : parts)
        if (part.size() > MaxPart || length > MaxPath) {
            why = "cannot create it: the name is too long for this system (" + std::to_string(length) + " bytes)";
            return ExitUsage;
        }
    path = folder;
    std::error_code error;
    for (size_t i = 0; i < parts.size(); ++i) {
        path /= fs::path(parts[i]);
        if (fs::is_symlink(fs::symlink_status(path, error))) {
            why = "refused: " + Printable(path.string()) + " is a symbolic link";
            return ExitDamaged;
        }
        if (i + 1 < parts.size() && !fs::is_directory(path, error)) {
            folders.make(path, error);
            if (error) {
                why = "cannot create the folder " + Printable(path.string()) + ": " + error.message();
                return ExitUsage;
            }
        }
    }
    return ExitOk;
}

// "a, b, c" for the first few names, and how many more.
static std::string NameList(const std::vector<std::string>& names) {
    std::string text;
    for (size_t i = 0; i < names.size() && i < 10; ++i) text += (i ? ", " : "") + names[i];
    if (names.size() > 10) text += " and " + std::to_string(names.size() - 10) + " more";
    return text;
}

int ExtractCommand(const Words& words) {
    Args args("extract", words);
    std::string path, folder = ".";
    bool quiet = false, overwrite = false, skipExisting = false;
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
        } else if (option == "--overwrite") {
            args.flag();
            overwrite = true;
        } else if (option == "--skip-existing") {
            args.flag();
            skipExisting = true;
        } else {
            args.unknown();
        }
    }
    if (path.empty()) throw Usage("extract", "FILE is required");
    if (overwrite && skipExisting) throw Usage("extract", "--overwrite and --skip-existing exclude each other");

    InputFile input(path);
    ByteView file = input.bytes();
    Inspection inspection = Inspect(file);
    // A look at a few bytes can map in megabytes of the file (the system maps large folios
    // whole); they are let go before the members are read.
    file.release(file.data(), file.size());
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
    for (const MemberEntry& member : inspection.members) {
        if (member.readBy != member.index) continue;
        bool wanted = patterns.empty();
        for (size_t i = 0; i < patterns.size(); ++i)
            if (MatchGlob(patterns[i], member.name)) wanted = matched[i] = true;
        if (wanted) chosen.push_back(&member);
    }
    for (size_t i = 0; i < patterns.size(); ++i)
        if (!matched[i]) {
            std::fprintf(stderr, "sfxpack: no member matches %s\n", Printable(patterns[i]).c_str());
            code = Worse(code, ExitUsage);
        }
    // Names that land on one path: only the one the stub leaves there is written.
    for (const Clash& clash : FindClashes(inspection, chosen))
        for (const MemberEntry* other : clash.others) {
            std::fprintf(stderr,
                         "sfxpack: warning: %s and %s land on one path; writing %s, the one the stub leaves there\n",
                         Printable(other->name).c_str(), Printable(clash.kept->name).c_str(),
                         Printable(clash.kept->name).c_str());
            chosen.erase(std::find(chosen.begin(), chosen.end(), other));
        }
    uint64_t total = 0;
    for (const MemberEntry* member : chosen)
        if (member->fault.empty()) total += (uint64_t)member->storedSize;

    MadeFolders folders;
    if (!chosen.empty()) {
        std::error_code error;
        folders.make(fs::path(folder), error);
        if (error || !fs::is_directory(folder))
            throw Failure(ExitUsage, "cannot create the folder " + Printable(folder) + ": " +
                                         (error ? error.message() : std::string("a file is in the way")));
    }

    ProgressLine progress("extracting", quiet);
    ProgressFn report = progress.callback();
    uint64_t done = 0;
    // A stream found damaged once needn't be inflated again for another name that shares it.
    std::map<std::tuple<int32_t, int32_t, int32_t>, std::string> damagedStreams;
    std::vector<std::string> kept, skipped;
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
        if (member->fault.empty()) done += (uint64_t)member->storedSize;
        auto key = std::make_tuple(member->offset, member->storedSize, member->method);
        auto known = damagedStreams.find(key);
        if (known != damagedStreams.end() || !member->fault.empty()) {
            progress.clear();
            std::fprintf(stderr, "sfxpack: %s: damaged: %s\n", name.c_str(),
                         (known != damagedStreams.end() ? known->second : member->fault).c_str());
            code = Worse(code, ExitDamaged);
            continue;
        }
        fs::path target;
        if (int failed = PrepareTarget(fs::path(folder), parts, target, why, folders)) {
            progress.clear();
            std::fprintf(stderr, "sfxpack: %s: %s\n", name.c_str(), why.c_str());
            code = Worse(code, failed);
            continue;
        }
        std::string shown = Printable(target.string());
        std::error_code error;
        fs::file_status existing = fs::symlink_status(target, error);
        if (fs::exists(existing)) {
            if (fs::is_directory(existing)) {
                progress.clear();
                std::fprintf(stderr, "sfxpack: %s: cannot write it: %s is a folder\n", name.c_str(), shown.c_str());
                code = Worse(code, ExitUsage);
                continue;
            }
            if (!overwrite) {
                (skipExisting ? skipped : kept).push_back(shown);
                if (!skipExisting) code = Worse(code, ExitUsage);
                continue;
            }
        }
        Unpacked unpacked;
        try {
            OutputFile output(target.string());
            unpacked = UnpackMember(file, *member,
                                    [&](const uint8_t* data, size_t size) { output.write(data, size); });
            // Exactly what the stub writes is written: nothing where it shows a box or finds
            // nothing, and bytes it accepts even where they are proven damaged, with a warning.
            if (unpacked.written) output.commit(overwrite);
        } catch (const Failure& failure) {
            progress.clear();
            std::fprintf(stderr, "sfxpack: %s\n", failure.what());
            code = Worse(code, failure.code);
            continue;
        }
        progress.clear();
        if (!unpacked.written) {
            std::fprintf(stderr, "sfxpack: %s: damaged: %s\n", name.c_str(), unpacked.detail.c_str());
            damagedStreams.emplace(key, unpacked.detail);
            code = Worse(code, ExitDamaged);
            continue;
        }
        if (!quiet) std::printf("%s\n", shown.c_str());
        if (!unpacked.ok) {
            std::fprintf(stderr, "sfxpack: %s: written as the stub writes it, but damaged: %s\n", name.c_str(),
                         unpacked.detail.c_str());
            code = Worse(code, ExitDamaged);
        }
    }
    progress.clear();
    folders.removeEmpty();
    std::fflush(stdout);
    if (!kept.empty())
        std::fprintf(stderr,
                     "sfxpack: %zu existing file%s not replaced (give --overwrite to replace, --skip-existing to "
                     "keep them quietly): %s\n",
                     kept.size(), kept.size() == 1 ? "" : "s", NameList(kept).c_str());
    if (!skipped.empty() && !quiet)
        std::fprintf(stderr, "sfxpack: %zu existing file%s skipped: %s\n", skipped.size(),
                     skipped.size() == 1 ? "" : "s", NameList(skipped).c_str());
    return code;
}

}  // namespace sfx
