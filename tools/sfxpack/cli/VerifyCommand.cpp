// sfxpack verify: every member unpacked as the stub unpacks it, each outcome shown.
#include <cstdio>
#include "cli/Args.h"
#include "cli/Commands.h"
#include "cli/ProgressLine.h"
#include "cli/Report.h"
#include "core/CodePage.h"
#include "core/Names.h"
#include "host/InputFile.h"
#include "read/Inspect.h"
#include "read/Verify.h"

namespace sfx {

int VerifyCommand(const Words& words) {
    bool quiet = false;
    int codePage = DefaultCodePage;
    std::string path = OneOperand("verify", words, nullptr, &quiet, &codePage);
    InputFile input(path);
    ByteView file = input.bytes();
    Inspection inspection = Inspect(file, codePage);
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
        std::printf("%-7s  %s: %s\n", check.sound ? "ok" : "DAMAGED", ShownName(member.name, codePage).c_str(),
                    check.detail.c_str());
        for (const std::string& note : check.notes)
            if (!quiet) std::printf("         note: %s\n", note.c_str());
    }
    // Member faults are shown above; the rest concern the archive as a whole.
    PrintProblems(inspection, false);
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
