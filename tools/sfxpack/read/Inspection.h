// What reading an installer finds: the kind of file, the nine directory items, the member table
// checked entry by entry, and the problems the stub would trip on.
#pragma once
#include <cstdint>
#include <string>
#include <vector>
#include "core/CodePage.h"

namespace sfx {

// What the end of the file says it is.
enum class FileKind {
    NotInstaller,  // no trailer: a plain file, or an executable that carries no archive
    Truncated,     // no trailer, but an executable cut short or with bytes behind its image
    Installer,     // ends with the trailer
};

enum class Severity { Warning, Error };

struct Problem {
    Severity severity;
    std::string text;
    int32_t member = -1;  // the member entry it concerns, or -1
};

// Why the stub reads a member: the driver unpacks only the named files.
enum class Role { Other, SetupProgram, ProjectFile, SupportFile };

// One entry of the member names list with its table entries.
struct MemberEntry {
    int32_t index = 0;
    std::string name;
    bool complete = false;  // has an entry in the offset, size and method tables
    int32_t offset = 0;
    int32_t storedSize = 0;
    int32_t method = 0;
    int64_t unpackedSize = -1;  // the stored size, or a deflated member's declared size; -1 unknown
    int32_t readBy = 0;         // the entry the stub reads for this name: itself unless repeated
    Role role = Role::Other;
    std::string fault;  // why the stub can't read the stored bytes at all; empty if it can
    std::string box;    // the error box the stub then shows; empty when it shows none
};

struct Inspection {
    int codePage = DefaultCodePage;  // the ANSI code page the names are read in
    FileKind kind = FileKind::NotInstaller;
    uint64_t fileSize = 0;
    int64_t imageEnd = -1;  // end of the executable image, -1 when the file is no PE
    // A signed installer: the certificate table that ends the file (size 0 when there is none),
    // and the zero bytes between the trailer and it. The signature is there; nothing checks it.
    uint32_t certificateOffset = 0;
    uint32_t certificateSize = 0;
    uint32_t certificatePadding = 0;
    uint64_t archiveEnd = 0;  // where the trailer ends: the end of the file unless signed
    int32_t directoryOffset = 0;
    bool directoryLoaded = false;  // all nine items read, as the stub needs them
    uint64_t directoryEnd = 0;     // just past the last byte read for the directory

    std::string setupProgram;
    std::string projectFile;
    std::vector<std::string> supportFiles;
    std::vector<std::string> extraNames;
    std::vector<std::string> memberNames;
    std::vector<int32_t> memberOffsets;
    std::vector<int32_t> memberSizes;
    std::vector<int32_t> memberMethods;
    std::string extraText;
    uint64_t offsetTablePosition = 0;  // file position of the first member offset entry

    std::vector<MemberEntry> members;  // one per member name, in table order
    std::vector<Problem> problems;     // general ones first, then member by member

    void add(Severity severity, const std::string& text, int32_t member = -1);
    bool hasErrors() const;
    // The stored bytes of the sound members' streams, each stream once however many entries
    // share it: what a pass over every member reads, for its progress.
    uint64_t streamBytes() const;
};

// Whether offset table entry i places bytes: only named members with bytes do. An empty member
// may carry any offset, and surplus table entries are never read.
bool PlacesBytes(const Inspection& inspection, size_t i);

// Where the archive begins: its first member, or the directory when that comes first.
// Everything before it is the stub.
uint64_t ArchiveStart(const Inspection& inspection);

}  // namespace sfx
