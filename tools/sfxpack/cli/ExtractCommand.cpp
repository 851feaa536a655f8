// sfxpack extract: every selected member unpacked and written under the output folder, going on
// past damaged or refused members. In steps: read the options, select the members, resolve the
// names that land on one path, write each member, then sum up.
#include <algorithm>
#include <cstdio>
#include <map>
#include <tuple>
#include "cli/Args.h"
#include "cli/CodePageOption.h"
#include "cli/Commands.h"
#include "cli/ProgressLine.h"
#include "core/CodePage.h"
#include "core/Names.h"
#include "host/InputFile.h"
#include "host/IoError.h"
#include "host/OutputFile.h"
#include "host/OutputFolder.h"
#include "read/Clashes.h"
#include "read/Inspect.h"
#include "read/SafePath.h"
#include "read/Unpack.h"

namespace sfx {

namespace {

struct ExtractOptions {
    std::string path;
    std::string folder = ".";
    Words patterns;
    int codePage = DefaultCodePage;
    bool quiet = false, overwrite = false, skipExisting = false;
};

ExtractOptions ReadOptions(const Words& words) {
    Args args("extract", words);
    ExtractOptions options;
    const std::map<std::string, bool*> flags = {{"-q", &options.quiet},
                                                {"--quiet", &options.quiet},
                                                {"--overwrite", &options.overwrite},
                                                {"--skip-existing", &options.skipExisting}};
    while (!args.done()) {
        if (!args.atOption()) {
            if (options.path.empty())
                options.path = args.operand();
            else
                options.patterns.push_back(args.operand());
            continue;
        }
        std::string option = args.option();
        if (option == "-d" || option == "--directory") {
            options.folder = args.value();
        } else if (option == "--codepage") {
            options.codePage = ReadCodePage(args, "extract");
        } else if (flags.count(option)) {
            args.flag();
            *flags.at(option) = true;
        } else {
            args.unknown();
        }
    }
    if (options.path.empty()) throw Usage("extract", "FILE is required");
    if (options.overwrite && options.skipExisting)
        throw Usage("extract", "--overwrite and --skip-existing exclude each other");
    return options;
}

// The errors that concern the archive as a whole, said before any member is written.
int ReportArchiveErrors(const Inspection& inspection, const std::string& path) {
    int code = ExitOk;
    for (const Problem& problem : inspection.problems)
        if (problem.severity == Severity::Error && problem.member < 0) {
            std::fprintf(stderr, "sfxpack: %s: %s\n", Printable(path).c_str(), problem.text.c_str());
            code = ExitDamaged;
        }
    return code;
}

// The members the patterns choose, all of them without patterns, each the first entry of its
// name: the stub reads no later one. A pattern that matches nothing is a usage error. Patterns
// come in UTF-8 and are matched in the names' code page.
std::vector<const MemberEntry*> SelectMembers(const Inspection& inspection, Words patterns, int& code) {
    std::vector<const MemberEntry*> chosen;
    std::vector<bool> matched(patterns.size(), false);
    for (std::string& pattern : patterns) {
        std::string bytes, why;
        if (!EncodeName(pattern, inspection.codePage, bytes, why)) throw Usage("extract", Printable(pattern) + ": " + why);
        pattern = bytes;
    }
    for (const MemberEntry& member : inspection.members) {
        if (member.readBy != member.index) continue;
        bool wanted = patterns.empty();
        for (size_t i = 0; i < patterns.size(); ++i)
            if (MatchGlob(patterns[i], member.name)) wanted = matched[i] = true;
        if (wanted) chosen.push_back(&member);
    }
    for (size_t i = 0; i < patterns.size(); ++i)
        if (!matched[i]) {
            std::fprintf(stderr, "sfxpack: no member matches %s\n", ShownName(patterns[i], inspection.codePage).c_str());
            code = Worse(code, ExitUsage);
        }
    return chosen;
}

// Names that land on one path: only the one the stub leaves there is written.
void ResolveClashes(const Inspection& inspection, std::vector<const MemberEntry*>& chosen) {
    for (const Clash& clash : FindClashes(inspection, chosen))
        for (const MemberEntry* other : clash.others) {
            std::string survivor = ShownName(clash.survivor->name, inspection.codePage);
            std::fprintf(stderr,
                         "sfxpack: warning: %s and %s land on one path; writing %s, the one the stub leaves there\n",
                         ShownName(other->name, inspection.codePage).c_str(), survivor.c_str(), survivor.c_str());
            chosen.erase(std::find(chosen.begin(), chosen.end(), other));
        }
}

// "a, b, c" for the first few names, and how many more.
std::string NameList(const std::vector<std::string>& names) {
    std::string text;
    for (size_t i = 0; i < names.size() && i < 10; ++i) text += (i ? ", " : "") + names[i];
    if (names.size() > 10) text += " and " + std::to_string(names.size() - 10) + " more";
    return text;
}

// The writing of the chosen members, one at a time, and how it ends.
class Extraction {
public:
    Extraction(const ExtractOptions& options, ByteView file, int code)
        : options(options), file(file), folder(options.folder), progress("extracting", options.quiet),
          showProgress(progress.callback()), code(code) {}

    int run(const std::vector<const MemberEntry*>& chosen);

private:
    using StreamKey = std::tuple<int32_t, int32_t, int32_t>;  // offset, stored size, method

    // A problem on stderr, and an outcome at least as bad as exitCode.
    void problem(int exitCode, const std::string& text) {
        progress.print(stderr, "sfxpack: " + text);
        code = Worse(code, exitCode);
    }
    void writeMember(const MemberEntry& member);
    bool prepare(const MemberEntry& member, const std::string& name, Target& target);
    void sumUp();

    const ExtractOptions& options;
    ByteView file;
    OutputFolder folder;
    ProgressLine progress;
    ProgressFn showProgress;
    int code;
    uint64_t done = 0, total = 0;
    // A stream found damaged once needn't be inflated again for another name that shares it.
    std::map<StreamKey, std::string> damagedStreams;
    std::vector<std::string> notReplaced, skipped;
};

int Extraction::run(const std::vector<const MemberEntry*>& chosen) {
    for (const MemberEntry* member : chosen)
        if (member->fault.empty()) total += (uint64_t)member->storedSize;
    if (!chosen.empty()) folder.make();
    for (const MemberEntry* member : chosen) writeMember(*member);
    sumUp();
    return code;
}

// Where the member goes. False, with the problem said, when its name is refused, its stream is
// known to be damaged or the target can't take it; false too when an existing file stays.
bool Extraction::prepare(const MemberEntry& member, const std::string& name, Target& target) {
    std::vector<std::string> parts;
    std::string why;
    if (!SafeRelativePath(member.name, parts, why, RunningOnWindows, options.codePage)) {
        problem(ExitDamaged, name + ": refused: " + why);
        return false;
    }
    // The file is named in UTF-8; a byte that is no character becomes %NN, said once here.
    bool clean = true;
    for (std::string& part : parts) {
        bool partClean = true;
        part = DecodeName(part, options.codePage, Invalid::Percent, &partClean);
        clean = clean && partClean;
    }
    if (!clean)
        progress.print(stderr, "sfxpack: warning: " + name + ": bytes that are no character in code page " +
                                   std::to_string(options.codePage) + " are written as %NN");
    if (member.fault.empty()) done += (uint64_t)member.storedSize;
    auto known = damagedStreams.find(StreamKey(member.offset, member.storedSize, member.method));
    if (known != damagedStreams.end() || !member.fault.empty()) {
        problem(ExitDamaged, name + ": damaged: " + (known != damagedStreams.end() ? known->second : member.fault));
        return false;
    }
    try {
        if (!folder.prepare(parts, target, why)) {
            problem(ExitDamaged, name + ": " + why);
            return false;
        }
    } catch (const IoError& error) {
        problem(ExitUsage, name + ": " + error.what());
        return false;
    }
    if (!target.exists || options.overwrite) return true;
    (options.skipExisting ? skipped : notReplaced).push_back(Printable(target.path));
    if (!options.skipExisting) code = Worse(code, ExitUsage);
    return false;
}

void Extraction::writeMember(const MemberEntry& member) {
    // The line stands while the member unpacks; every print takes it away first.
    if (showProgress) showProgress(done, total);
    std::string name = ShownName(member.name, options.codePage);
    Target target;
    if (!prepare(member, name, target)) return;
    Unpacked unpacked;
    try {
        OutputFile output(target.path);
        unpacked = UnpackMember(file, member, [&](const uint8_t* data, size_t size) { output.write(data, size); });
        // Exactly what the stub writes is written: nothing where it shows a box or finds
        // nothing, and bytes it accepts even where they are proven damaged, with a warning.
        if (unpacked.written) output.commit(options.overwrite);
    } catch (const IoError& error) {
        problem(ExitUsage, error.what());
        return;
    }
    if (!unpacked.written) {
        damagedStreams.emplace(StreamKey(member.offset, member.storedSize, member.method), unpacked.detail);
        problem(ExitDamaged, name + ": damaged: " + unpacked.detail);
        return;
    }
    if (!options.quiet) progress.print(stdout, Printable(target.path));
    if (!unpacked.ok) problem(ExitDamaged, name + ": written as the stub writes it, but damaged: " + unpacked.detail);
}

void Extraction::sumUp() {
    progress.clear();
    folder.removeEmpty();
    std::fflush(stdout);
    if (!notReplaced.empty())
        std::fprintf(stderr,
                     "sfxpack: %zu existing file%s not replaced (give --overwrite to replace, --skip-existing to "
                     "keep them quietly): %s\n",
                     notReplaced.size(), notReplaced.size() == 1 ? "" : "s", NameList(notReplaced).c_str());
    if (!skipped.empty() && !options.quiet)
        std::fprintf(stderr, "sfxpack: %zu existing file%s skipped: %s\n", skipped.size(),
                     skipped.size() == 1 ? "" : "s", NameList(skipped).c_str());
}

}  // namespace

int ExtractCommand(const Words& words) {
    ExtractOptions options = ReadOptions(words);
    InputFile input(options.path);
    ByteView file = input.bytes();
    Inspection inspection = Inspect(file, options.codePage);
    // A look at a few bytes can map in megabytes of the file (the system maps large folios
    // whole); they are let go before the members are read.
    file.release(file.data(), file.size());
    RequireInstaller(inspection, options.path);
    int code = ReportArchiveErrors(inspection, options.path);
    std::vector<const MemberEntry*> chosen = SelectMembers(inspection, options.patterns, code);
    ResolveClashes(inspection, chosen);
    return Extraction(options, file, code).run(chosen);
}

}  // namespace sfx
