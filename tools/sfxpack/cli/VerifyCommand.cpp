// sfxpack verify: every member unpacked as the stub unpacks it, each outcome shown; or the
// installer checked against its bill of materials.
#include <cstdio>
#include "cli/Args.h"
#include "cli/BomCheck.h"
#include "cli/Commands.h"
#include "cli/ProgressLine.h"
#include "cli/Report.h"
#include "core/CodePage.h"
#include "core/Names.h"
#include "host/InputFile.h"
#include "read/Contents.h"
#include "read/Inspect.h"
#include "read/Verify.h"

namespace sfx {

// Room for about a hundred thousand members, each of which takes some 600 bytes of it.
static const uint64_t MaxBomSize = 64u << 20;

// The document's claims, or a usage error: a file that is no bill of materials is the caller's
// mistake, not damage to the installer.
static BomClaims ReadClaims(const std::string& path) {
    RequireInputSize(path, MaxBomSize, "the bill of materials");
    Bytes bytes = ReadInput(path);
    if (bytes.size() > MaxBomSize)
        throw Failure(ExitUsage, "verify: " + Printable(path) + " is too large for a bill of materials");
    JsonValue document;
    BomClaims claims;
    std::string why;
    if (!ParseJson(std::string(bytes.begin(), bytes.end()), document, why) || !ReadBomClaims(document, claims, why))
        throw Failure(ExitUsage, "verify: " + Printable(path) + " is no bill of materials: " + why);
    return claims;
}

static int VerifyAgainstBom(const std::string& path, const std::string& bomPath, bool quiet, int codePage) {
    if (path == "-" && bomPath == "-") throw Usage("verify", "the installer and --sbom can't both be standard input");
    BomClaims claims = ReadClaims(bomPath);
    // The code page the document's names were decoded from, unless one is given.
    if (!codePage) codePage = claims.codePage ? claims.codePage : DefaultCodePage;
    InputFile input(path);
    ByteView file = input.bytes();
    Inspection inspection = Inspect(file, codePage);
    RequireInstaller(inspection, path);
    Contents contents;
    {
        ProgressLine progress("hashing", quiet);
        contents = ReadContents(file, inspection, progress.callback());
    }
    size_t failures = 0;
    for (const BomFinding& finding : CompareWithBom(contents, claims, codePage)) {
        failures += finding.failure;
        if (finding.failure || !quiet) std::printf("%-7s  %s\n", finding.label.c_str(), finding.text.c_str());
    }
    PrintProblems(inspection, false);
    bool sound = failures == 0 && !inspection.hasErrors();
    std::string shown = Printable(path), document = Printable(bomPath);
    size_t count = contents.members.size();
    if (sound && !quiet)
        std::printf("%s: matches %s: the stub and %zu member%s\n", shown.c_str(), document.c_str(), count,
                    count == 1 ? "" : "s");
    else if (!sound)
        std::printf("%s: DIFFERS from %s, %zu finding%s\n", shown.c_str(), document.c_str(), failures,
                    failures == 1 ? "" : "s");
    return sound ? ExitOk : ExitDamaged;
}

static int VerifyMembers(const std::string& path, bool quiet, int codePage) {
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

int VerifyCommand(const Words& words) {
    bool quiet = false;
    int codePage = 0;
    bool bom = false;
    std::string bomPath;
    auto sbom = [&](Args& args, const std::string& option) {
        if (option != "--sbom") return false;
        bomPath = args.value();
        return bom = true;
    };
    std::string path = OneOperand("verify", words, nullptr, &quiet, &codePage, sbom);
    if (bom) return VerifyAgainstBom(path, bomPath, quiet, codePage);
    return VerifyMembers(path, quiet, codePage ? codePage : DefaultCodePage);
}

}  // namespace sfx
