// The help texts, one per command and one for the whole tool.
#include <cstring>
#include "cli/Commands.h"

namespace sfx {

static const char* const ToolHelp =
    "Usage: sfxpack COMMAND [ARGUMENTS]\n"
    "Builds, lists, verifies, unpacks and re-stubs self-extracting installers made with sfxstub.\n"
    "\n"
    "Commands:\n"
    "  create -o OUT --setup FILE --project FILE [--support FILE]... [--member FILE]...\n"
    "         [DIR]... [--stub STUB | --stub64] [--store GLOB]... [--level N] [--no-check]\n"
    "                  pack an installer from a stub and the files it unpacks\n"
    "  list FILE [--json]\n"
    "                  show the named files and the members, and flag what the stub\n"
    "                  would trip on\n"
    "  verify FILE     unpack every member as the stub does and check it\n"
    "  extract FILE [-d DIR] [NAME|GLOB]...\n"
    "                  write the members (or those that match) under DIR\n"
    "  restub FILE -o OUT [--stub NEW | --stub64]\n"
    "                  move the archive behind another stub\n"
    "\n"
    "  sfxpack COMMAND --help    more about a command\n"
    "  sfxpack --version         the version, and the stubs create would pack\n"
    "\n"
    "FILE may be - for standard input in list, verify and extract. -q (--quiet)\n"
    "leaves only problems to print. Problems go to stderr, results to stdout.\n"
    "Names are compared as the stub compares them: ignoring the case of A-Z only.\n"
    "Exit status: 0 all sound, 1 damaged content, 2 usage error or unreadable input.\n";

static const char* const CreateHelp =
    "Usage: sfxpack create -o OUT --setup FILE --project FILE [--support FILE]...\n"
    "                      [--member FILE]... [DIR]... [--stub STUB | --stub64]\n"
    "                      [--store GLOB]... [--level N] [--no-check] [-q]\n"
    "Packs an installer: the stub, then the members back to back (set-up program,\n"
    "project file, support files, other members), then the directory and the trailer.\n"
    "The stub unpacks the set-up program, the project file and the support files into\n"
    "c:\\_setup and starts the set-up program; other members only ride along.\n"
    "\n"
    "  -o, --output OUT  the installer to write; - for standard output\n"
    "  --stub STUB       the stub executable; by default sfxstub.exe from\n"
    "                    ../share/sfx beside sfxpack, then the build tree's\n"
    "  --stub64          the default 64-bit stub, sfxstub64.exe, instead\n"
    "  --setup FILE      the set-up program\n"
    "  --project FILE    the set-up program's project file\n"
    "  --support FILE    a support file, unpacked beside the set-up program\n"
    "  --member FILE     a further member, packed but not unpacked by the stub\n"
    "  --store GLOB      store members whose names match as they are (* and ?)\n"
    "  --level N         deflate level, 0 to 9 (default 9)\n"
    "  --no-check        leave the Adler-32 check value off deflated members\n"
    "  -q, --quiet       print nothing but problems\n"
    "  DIR               every file under the folder, in byte order of their paths:\n"
    "                    those at its top are support files, those in subfolders\n"
    "                    ride along under names with backslashes (the stub makes\n"
    "                    no folders); the set-up program and project file are\n"
    "                    packed once\n"
    "\n"
    "FILE is a path, packed under its base name, or NAME=PATH to pack PATH as NAME;\n"
    "write =PATH for a path that holds '=' itself. A member that deflate does not\n"
    "shrink is stored. Two members whose names differ only in case are refused.\n"
    "The same inputs always give the same bytes. A signed stub loses its certificate\n"
    "table and security entry (a signature can't cover what is appended): sign the\n"
    "installer instead.\n";

static const char* const ListHelp =
    "Usage: sfxpack list FILE [--json]\n"
    "Shows the set-up program, the project file and the support files, then each\n"
    "member with its index (#, as warnings count), offset, stored size, unpacked\n"
    "size, method, the share packing saved, and use; warnings about what the stub\n"
    "would trip on go to stderr, as do warnings about names that land on one path\n"
    "(both named), names Windows can't create, and entries sharing stored bytes.\n"
    "\n"
    "  --json  the same as one JSON object on stdout, problems included. Fields:\n"
    "          file, size, kind (installer, truncated, not-installer),\n"
    "          directoryLoaded, certificateTable (a signed installer's table: offset,\n"
    "          size, padding; or null), directoryOffset, stubSize, setupProgram,\n"
    "          projectFile, supportFiles, furtherNames, finalText (the text after\n"
    "          the tables);\n"
    "          members: index, name, use (setup, project, support, -), offset,\n"
    "          stored, unpacked, method (stored, deflated, method-N), methodNumber,\n"
    "          saving (0 to 1), readBy (the entry the stub reads for the name),\n"
    "          fault; problems: severity, member, text. Every name also comes as\n"
    "          NAMEHex (nameHex, setupProgramHex, ...): its bytes in hex, exact in\n"
    "          any code page; the name itself is UTF-8, with U+FFFD for each byte\n"
    "          that is not.\n"
    "\n"
    "Exit status: 0 nothing wrong, 1 errors found, 2 not an installer or unreadable.\n";

static const char* const VerifyHelp =
    "Usage: sfxpack verify FILE [-q]\n"
    "Unpacks every member entry as the stub does (one inflate call into exactly the\n"
    "declared size) and checks the Adler-32 value where a member carries one.\n"
    "For each member it tells what the stub does (writes these bytes, shows an error\n"
    "box, or finds nothing) and how sure that is: the check value matched, there is\n"
    "no check value, or the bytes are proven damaged. A stream the stub accepts but\n"
    "that holds more than its declared size is DAMAGED with the note that the stub\n"
    "writes it all the same.\n"
    "\n"
    "  -q, --quiet  show only damaged members\n"
    "\n"
    "Exit status: 0 all sound, 1 damaged (always when a member the stub would use is\n"
    "proven damaged or unreadable), 2 not an installer or unreadable.\n";

static const char* const ExtractHelp =
    "Usage: sfxpack extract FILE [-d DIR] [-q] [--overwrite | --skip-existing]\n"
    "                       [NAME|GLOB]...\n"
    "Writes the members, or those whose names match, under DIR (default: the\n"
    "current folder), which is created when missing. Where a name repeats, the first\n"
    "entry is written, as the stub reads it. Backslashes in names separate folders.\n"
    "Names with a \"..\" part, a drive letter or colon, or a leading separator are\n"
    "refused: nothing is written outside DIR. On Windows so are device names (CON,\n"
    "NUL, AUX, ...), parts that end in a dot or blank, and characters Windows refuses.\n"
    "Exactly the bytes the stub would write are written: nothing for a member it\n"
    "shows a box for, and a member it accepts though its bytes are proven damaged is\n"
    "written with a warning. Names that land on one path (differing only in\n"
    "separators, \".\" parts or the case of A-Z) are written once: the one the stub\n"
    "leaves there. Each file is written to a temporary file beside it and renamed\n"
    "into place, so a failure leaves what was there.\n"
    "\n"
    "  -d, --directory DIR  the folder to write into (also -dDIR)\n"
    "  -q, --quiet          don't print the paths written\n"
    "  --overwrite          replace files that exist\n"
    "  --skip-existing      leave files that exist as they are, and say so\n"
    "\n"
    "Existing files are never replaced without --overwrite: they are named, the other\n"
    "members are still written, and the exit status is 2.\n"
    "Exit status: 0 all written, 1 a member was damaged or refused (the others are\n"
    "still written), 2 not an installer, unreadable, unwritable, a file that exists,\n"
    "or a NAME matched nothing.\n";

static const char* const RestubHelp =
    "Usage: sfxpack restub FILE -o OUT [--stub NEW | --stub64] [-q]\n"
    "Writes OUT: the stub NEW followed by FILE's archive, with the member offsets and\n"
    "the directory offset moved to match. OUT is unsigned: sign it again. A signed\n"
    "NEW stub loses its signature, as in create.\n"
    "\n"
    "  --stub NEW        the new stub executable; by default the one create packs\n"
    "  --stub64          the default 64-bit stub instead\n"
    "  -o, --output OUT  the installer to write; - for standard output\n"
    "  -q, --quiet       print nothing but problems\n";

const char* HelpText(const std::string& command) {
    static const struct {
        const char* name;
        const char* text;
    } texts[] = {{"", ToolHelp},         {"create", CreateHelp},   {"list", ListHelp},
                 {"verify", VerifyHelp}, {"extract", ExtractHelp}, {"restub", RestubHelp}};
    for (const auto& entry : texts)
        if (command == entry.name) return entry.text;
    return nullptr;
}

}  // namespace sfx
