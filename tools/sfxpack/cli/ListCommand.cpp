// sfxpack list and verify: the inspection shown as a table, or every member unpacked.
#include <cstdio>
#include "cli/Args.h"
#include "cli/Commands.h"
#include "host/Host.h"
#include "read/Inspect.h"
#include "read/Verify.h"
#include "core/Names.h"
#include "cli/ProgressLine.h"
#include "cli/Report.h"

namespace sfx {

void RequireInstaller(const Inspection& inspection, const std::string& path) {
    if (inspection.kind == FileKind::Installer) return;
    std::string why = inspection.problems.empty() ? "not an installer" : inspection.problems.front().text;
    throw Failure(inspection.kind == FileKind::Truncated ? ExitDamaged : ExitUsage, Printable(path) + ": " + why);
}

// The one operand a command takes ("-" for standard input), and whether --json or -q was given.
static std::string ReadOperand(const char* command, const Words& words, bool* json, bool* quiet) {
    Args args(command, words);
    std::string path;
    while (!args.done()) {
        if (!args.atOption()) {
            if (!path.empty()) throw Usage(command, "one FILE only");
            path = args.operand();
            continue;
        }
        std::string option = args.option();
        if (json && option == "--json") {
            args.flag();
            *json = true;
        } else if (quiet && (option == "-q" || option == "--quiet")) {
            args.flag();
            *quiet = true;
        } else {
            args.unknown();
        }
    }
    if (path.empty()) throw Usage(command, "FILE is required");
    return path;
}

// The problems chosen, as diagnostics on stderr after what went to stdout.
template <typename Choose>
static void PrintProblems(const Inspection& inspection, Choose chosen) {
    std::fflush(stdout);
    for (const Problem& problem : inspection.problems)
        if (chosen(problem))
            std::fprintf(stderr, "sfxpack: %s: %s\n", problem.severity == Severity::Error ? "error" : "warning",
                         problem.text.c_str());
}

int ListCommand(const Words& words) {
    bool json = false;
    std::string path = ReadOperand("list", words, &json, nullptr);
    InputFile input(path);
    ByteView file = input.bytes();
    Inspection inspection = Inspect(file);
    // JSON readers get the object whatever the file is; the exit code still tells.
    if (json) std::fputs(ListJson(inspection, path).c_str(), stdout);
    RequireInstaller(inspection, path);
    if (!json) std::fputs(ListText(inspection, path).c_str(), stdout);
    PrintProblems(inspection, [](const Problem&) { return true; });
    return inspection.hasErrors() ? ExitDamaged : ExitOk;
}

int VerifyCommand(const Words& words) {
    bool quiet = false;
    std::string path = ReadOperand("verify", words, nullptr, &quiet);
    InputFile input(path);
    ByteView file = input.bytes();
    Inspection inspection = Inspect(file);
    file.release(file.data(), file.size());  // what the look at the directory mapped in
    RequireInstaller(inspection, path);
    VerifyReport report;
    {
        ProgressLine progress("verifying", quiet);
        report = Verify(file, inspection, progress.callback());
    }
    size_t damaged = 0;
    for (const MemberCheck& check : report.members) {
        const MemberEntry& member = inspection.members[(size_t)check.index];
        damaged += !check.sound;
        if (quiet && check.sound) continue;
        std::printf("%-7s  %s: %s\n", check.sound ? "ok" : "DAMAGED", Printable(member.name).c_str(),
                    check.detail.c_str());
        for (const std::string& note : check.notes)
            if (!quiet) std::printf("         note: %s\n", note.c_str());
    }
    // Member faults are shown above; the rest concern the archive as a whole.
    PrintProblems(inspection, [](const Problem& p) { return p.member < 0 || p.severity == Severity::Warning; });
    if (inspection.certificateSize && !quiet)
        std::printf("signed: a %u-byte certificate table follows the archive (the signature is not checked)\n",
                    inspection.certificateSize);
    size_t count = report.members.size();
    std::string shown = Printable(path);
    if (report.sound) {
        if (!quiet) std::printf("%s: sound, %zu member%s\n", shown.c_str(), count, count == 1 ? "" : "s");
    } else if (damaged) {
        std::printf("%s: DAMAGED, %zu of %zu members unreadable\n", shown.c_str(), damaged, count);
    } else {
        std::printf("%s: DAMAGED, see the errors\n", shown.c_str());
    }
    return report.sound ? ExitOk : ExitDamaged;
}

}  // namespace sfx
