// Fuzz target: sfxpack's list and verify on the input, in memory, with everything they print
// formed but thrown away; list reads the stub's resources (icon groups, version) too. Exceptions are left uncaught: bad input must never make them throw.
#include <stddef.h>
#include <stdint.h>
#include <string>
#include "read/Face.h"
#include "read/Inspect.h"
#include "read/Verify.h"
#include "core/Names.h"
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
    return 0;
}
