// Fuzz target: sfxpack's list and verify on the input, in memory, with everything they print
// formed but thrown away; list reads the stub's resources (icon groups, version) too. Exceptions are left uncaught: bad input must never make them throw.
// The bill of materials is made too, read back as verify --sbom reads it, and compared with the
// installer it came from: nothing but damage may differ.
#include <stddef.h>
#include <stdint.h>
#include <string>
#include "read/Face.h"
#include "read/Inspect.h"
#include "read/Verify.h"
#include "core/Names.h"
#include "cli/BomCheck.h"
#include "cli/BomDocument.h"
#include "cli/Report.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    sfx::Bytes file(data, data + size);
    sfx::Inspection inspection = sfx::Inspect(file);
    sfx::Face face = sfx::ReadFace(file);
    std::string out = sfx::ListJson(inspection, "setup.exe", &face);
    // The text listing and verify run only on installers, as the commands do.
    if (inspection.kind != sfx::FileKind::Installer) return 0;
    out += sfx::ListText(inspection, "setup.exe", &face);
    uint64_t lastDone = 0;
    sfx::VerifyReport report = sfx::Verify(file, inspection, [&](uint64_t done, uint64_t) { lastDone = done; });
    for (const sfx::MemberCheck& check : report.members) {
        // at(): an index outside the table would be read unchecked by the command.
        out += sfx::Printable(inspection.members.at((size_t)check.index).name) + check.detail;
        for (const std::string& note : check.notes) out += note;
    }
    (void)lastDone;
    sfx::Contents contents = sfx::ReadContents(file, inspection);
    sfx::JsonValue document;
    sfx::BomClaims claims;
    std::string why;
    if (!sfx::ParseJson(sfx::BomJson(contents, {"setup.exe", 1252}), document, why) ||
        !sfx::ReadBomClaims(document, claims, why))
        __builtin_trap();
    for (const sfx::BomFinding& finding : sfx::CompareWithBom(contents, claims, 1252))
        if (finding.failure && finding.label != "DAMAGED") __builtin_trap();
    return 0;
}
