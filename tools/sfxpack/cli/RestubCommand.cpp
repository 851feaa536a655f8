// sfxpack restub: the archive of one installer moved behind another stub.
#include <algorithm>
#include <cstdio>
#include "cli/Args.h"
#include "cli/BrandOptions.h"
#include "cli/Commands.h"
#include "cli/Stubs.h"
#include "core/Names.h"
#include "host/InputFile.h"
#include "host/OutputFile.h"
#include "read/Inspect.h"
#include "write/Restub.h"

namespace sfx {

// The new installer's size is known from the sizes alone: refused before the stub is read. A
// signed installer's certificate table stays behind.
static void RequireRestubFits(const std::string& stubPath, const Inspection& inspection) {
    int64_t stubSize = InputSize(stubPath);
    uint64_t archive = inspection.archiveEnd - std::min<uint64_t>(ArchiveStart(inspection), inspection.archiveEnd);
    if (stubSize >= 0 && (uint64_t)stubSize + archive > MaxFileSize)
        throw Failure(ExitUsage, "restub: a " + std::to_string(stubSize) + "-byte stub and a " +
                                     std::to_string(archive) + "-byte archive come to more than " +
                                     std::to_string(MaxFileSize) + " bytes, more than an installer can hold");
}

int RestubCommand(const Words& words) {
    Args args("restub", words);
    std::string path, output;
    StubOptions stubOptions;
    BrandOptions brandOptions;
    while (!args.done()) {
        if (!args.atOption()) {
            if (!path.empty()) throw Usage("restub", "one FILE only");
            path = args.operand();
            continue;
        }
        std::string option = args.option();
        if (stubOptions.read(args, option) || brandOptions.read(args, option)) continue;
        if (option == "-o" || option == "--output")
            output = args.value();
        else
            args.unknown();
    }
    if (path.empty()) throw Usage("restub", "FILE is required");
    if (output.empty()) throw Usage("restub", "-o is required");
    const bool quiet = stubOptions.quiet;
    std::string stubPath = stubOptions.choose("restub");
    Branding branding = brandOptions.load("restub");

    RequireInputSize(stubPath, MaxFileSize, "the stub");
    InputFile input(path);
    ByteView file = input.bytes();
    Inspection inspection = Inspect(file);
    RequireInstaller(inspection, path);
    RequireRestubFits(stubPath, inspection);
    // Checked in place: only its headers are read before it is found wanting.
    InputFile stubInput(stubPath);
    Bytes unsignedCopy;
    ByteView stub = UsableStub(stubInput.bytes(), stubPath, unsignedCopy);
    Bytes branded;
    if (!branding.empty()) {
        branded.assign(stub.begin(), stub.end());
        BrandStub(branded, branding, stubPath);
        stub = branded;
    }
    Bytes moved;
    try {
        moved = Restub(file, inspection, stub);
    } catch (const RestubError& error) {
        throw Failure(ExitDamaged, Printable(path) + ": cannot move the archive: " + error.what());
    }
    WriteOutput(output, moved);
    if (inspection.certificateSize)
        std::fprintf(stderr, "sfxpack: note: %s was signed; %s carries no signature and must be signed again\n",
                     Printable(path).c_str(), Printable(output).c_str());
    if (!quiet)
        std::fprintf(stderr, "%s: %zu-byte stub, archive moved by %lld bytes\n", Printable(output).c_str(),
                     stub.size(), (long long)stub.size() - (long long)ArchiveStart(inspection));
    return ExitOk;
}

}  // namespace sfx
