// sfxpack list: the inspection shown as a table or as JSON, and the problems found; or the
// installer's bill of materials.
#include <cstdio>
#include "cli/Args.h"
#include "cli/BomDocument.h"
#include "cli/Commands.h"
#include "cli/Report.h"
#include "core/Names.h"
#include "host/InputFile.h"
#include "host/System.h"
#include "read/Contents.h"
#include "read/Face.h"
#include "read/Inspect.h"

namespace sfx {

void RequireInstaller(const Inspection& inspection, const std::string& path) {
    if (inspection.kind == FileKind::Installer) return;
    std::string why = inspection.problems.empty() ? "not an installer" : inspection.problems.front().text;
    throw Failure(inspection.kind == FileKind::Truncated ? ExitDamaged : ExitUsage, Printable(path) + ": " + why);
}

// The bill of materials on stdout, the same bytes on every system; damage exits 1, as verify
// does, after the whole document.
static int ListBom(ByteView file, const Inspection& inspection, const BomHead& head, const std::string& path) {
    RequireInstaller(inspection, path);
    Contents contents = ReadContents(file, inspection);
    // As bytes: Windows' C runtime would otherwise end the lines with CR LF.
    SetBinary(stdout);
    std::fputs(BomJson(contents, head).c_str(), stdout);
    PrintProblems(inspection, true);
    // Faults the inspection saw are among its problems; the rest only unpacking finds.
    for (size_t i = 0; i < contents.members.size(); ++i)
        if (!contents.members[i].damage.empty() && inspection.members[i].fault.empty())
            std::fprintf(stderr, "sfxpack: error: %s: %s\n", ShownName(contents.members[i].name, head.codePage).c_str(),
                         contents.members[i].damage.c_str());
    return contents.sound ? ExitOk : ExitDamaged;
}

int ListCommand(const Words& words) {
    bool json = false, bom = false;
    int codePage = DefaultCodePage;
    auto sbom = [&](Args& args, const std::string& option) {
        if (option != "--sbom") return false;
        args.flag();
        return bom = true;
    };
    std::string path = OneOperand("list", words, &json, nullptr, &codePage, sbom);
    if (json && bom) throw Usage("list", "--json and --sbom are two forms of output; give one");
    // Before anything is read: a bad SOURCE_DATE_EPOCH is the caller's mistake, whatever the file.
    BomHead head{BomName(path), codePage};
    if (bom) ReadSourceDateEpoch(head, "list");
    InputFile input(path);
    ByteView file = input.bytes();
    Inspection inspection = Inspect(file, codePage);
    if (bom) return ListBom(file, inspection, head, path);
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
