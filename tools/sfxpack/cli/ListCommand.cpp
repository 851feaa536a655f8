// sfxpack list: the inspection shown as a table or as JSON, and the problems found.
#include <cstdio>
#include "cli/Args.h"
#include "cli/Commands.h"
#include "cli/Report.h"
#include "core/Names.h"
#include "host/InputFile.h"
#include "read/Face.h"
#include "read/Inspect.h"

namespace sfx {

void RequireInstaller(const Inspection& inspection, const std::string& path) {
    if (inspection.kind == FileKind::Installer) return;
    std::string why = inspection.problems.empty() ? "not an installer" : inspection.problems.front().text;
    throw Failure(inspection.kind == FileKind::Truncated ? ExitDamaged : ExitUsage, Printable(path) + ": " + why);
}

int ListCommand(const Words& words) {
    bool json = false;
    int codePage = DefaultCodePage;
    std::string path = OneOperand("list", words, &json, nullptr, &codePage);
    InputFile input(path);
    ByteView file = input.bytes();
    Inspection inspection = Inspect(file, codePage);
    // The stub's icon and version as Windows shows them; a damaged resource section only warns,
    // since the stub itself never reads it.
    Face face = ReadFace(file);
    for (const std::string& problem : face.problems) inspection.add(Severity::Warning, "resources: " + problem);
    // JSON readers get the object whatever the file is; the exit code still tells.
    if (json) std::fputs(ListJson(inspection, path, &face).c_str(), stdout);
    RequireInstaller(inspection, path);
    if (!json) std::fputs(ListText(inspection, path, &face).c_str(), stdout);
    PrintProblems(inspection, true);
    return inspection.hasErrors() ? ExitDamaged : ExitOk;
}

}  // namespace sfx
