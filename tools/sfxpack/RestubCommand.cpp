// sfxpack restub: the archive of one installer moved behind another stub.
#include <cstdio>
#include "Args.h"
#include "Commands.h"
#include "Host.h"
#include "Inspect.h"
#include "Names.h"
#include "Restub.h"
#include "Stubs.h"

namespace sfx {

int RestubCommand(const Words& words) {
    Args args("restub", words);
    std::string path, stubPath, output;
    bool wide = false, quiet = false;
    while (!args.done()) {
        if (!args.atOption()) {
            if (!path.empty()) throw Usage("restub", "one FILE only");
            path = args.operand();
            continue;
        }
        std::string option = args.option();
        if (option == "--stub") {
            stubPath = args.value();
        } else if (option == "-o" || option == "--output") {
            output = args.value();
        } else if (option == "--stub64") {
            args.flag();
            wide = true;
        } else if (option == "-q" || option == "--quiet") {
            args.flag();
            quiet = true;
        } else {
            args.unknown();
        }
    }
    if (path.empty()) throw Usage("restub", "FILE is required");
    if (output.empty()) throw Usage("restub", "-o is required");
    stubPath = ChooseStub("restub", stubPath, wide);

    Bytes file = ReadInput(path);
    Bytes stub = ReadInput(stubPath);
    Inspection inspection = Inspect(file);
    RequireInstaller(inspection, path);
    if (Inspect(stub).kind == FileKind::Installer)
        std::fprintf(stderr, "sfxpack: warning: the stub %s already ends with an archive; the new one hides it\n",
                     Printable(stubPath).c_str());
    Bytes moved;
    try {
        moved = Restub(file, inspection, stub);
    } catch (const RestubError& error) {
        throw Failure(ExitDamaged, Printable(path) + ": cannot move the archive: " + error.what());
    }
    WriteOutput(output, moved);
    if (!quiet)
        std::printf("%s: %zu-byte stub, archive moved by %lld bytes\n", Printable(output).c_str(), stub.size(),
                (long long)stub.size() - (long long)ArchiveStart(inspection));
    return ExitOk;
}

}  // namespace sfx
