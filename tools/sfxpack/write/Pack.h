// Packing an installer from files in memory or on disk: members in table order (set-up program,
// project file, support files, then the others), each deflated unless that would not shrink it,
// on several threads, the installer handed on as it is made.
#pragma once
#include <stdexcept>
#include <string>
#include <vector>
#include "core/CodePage.h"
#include "core/Progress.h"
#include "read/Contents.h"
#include "write/Encoder.h"
#include "write/Writer.h"

namespace sfx {

struct PackFile {
    std::string name;  // the member name
    Bytes data;
    std::string path = {};  // when set, the member is this regular file, mapped when its turn comes
    uint64_t size() const;  // data's size, or the file's from stat
};

struct PackInputs {
    Bytes stub;
    PackFile setupProgram;
    PackFile projectFile;
    std::vector<PackFile> supportFiles;
    std::vector<PackFile> others;  // packed, but not unpacked by the stub
};

struct PackOptions {
    int level = DefaultLevel;
    bool keepCheck = true;                // keep deflated members' Adler-32 check values
    std::vector<std::string> storeGlobs;  // members whose names match are stored as they are
    int jobs = 0;                         // threads deflating; 0 for one per core
    size_t pieceSize = 16u << 20;         // larger members are deflated in pieces of this size
    EncoderKind encoder = EncoderKind::Best;
    int codePage = DefaultCodePage;  // what the names are in, for messages: they are packed as given
};

// Inputs that can't make an installer: duplicate or empty names, or more than 2 GiB in all.
struct PackError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// One member: deflated at the level given, or stored when a glob says so or deflate would not
// make it smaller (for a member of several pieces, when its first piece would not shrink). A
// large member is deflated a piece at a time, each reported to step with the bytes read so far.
Member PackMember(const PackFile& file, const PackOptions& options,
                  const std::function<void(uint64_t read)>& step = {});

// Writes the installer to out as it is made, and returns its size. Memory stays within the
// pieces being deflated, one per thread and a few more within a budget (ParallelPack.h). With
// contents, records what its bill of materials lists, as ReadContents would read it back: each
// member's bytes are hashed as they are packed, and the installer as it is written.
uint64_t PackTo(const PackInputs& inputs, const PackOptions& options, const ByteSink& out,
                const ProgressFn& progress = {}, Contents* contents = nullptr);

Bytes Pack(const PackInputs& inputs, const PackOptions& options, const ProgressFn& progress = {});

}  // namespace sfx
