// Packing: names checked as the stub will compare them, members made, the layout written.
#include "write/Pack.h"
#include <zlib.h>
#include <algorithm>
#include <climits>
#include <cstdint>
#include <set>
#include "core/Names.h"

namespace sfx {

// Input is handed to zlib this much at a time, so that progress moves inside a large member.
static const size_t DeflateStep = 1u << 20;

// DeflateMember's bytes, made in steps. zlib emits nothing until it holds a window's worth of
// input beyond what it has matched, so the steps change no byte of the output; at level 0 they
// would cut the stored blocks differently, so that level takes one call.
static Bytes DeflateInSteps(const Bytes& data, int level, bool keepCheck,
                            const std::function<void(uint64_t)>& step) {
    if (level == 0 || data.size() <= DeflateStep || !step) return DeflateMember(data, level, keepCheck);
    z_stream z{};
    if (deflateInit(&z, level) != Z_OK) throw std::runtime_error("deflate failed");
    uLong bound = deflateBound(&z, (uLong)data.size());
    Bytes out(4 + bound);
    ByteWriter prefix;
    prefix.put32((int32_t)data.size());
    std::copy(prefix.bytes.begin(), prefix.bytes.end(), out.begin());
    z.next_out = out.data() + 4;
    z.avail_out = (uInt)bound;
    size_t read = 0;
    int status = Z_OK;
    while (status == Z_OK) {
        size_t size = std::min(DeflateStep, data.size() - read);
        z.next_in = const_cast<Bytef*>(data.data() + read);
        z.avail_in = (uInt)size;
        read += size;
        status = deflate(&z, read == data.size() ? Z_FINISH : Z_NO_FLUSH);
        if (status == Z_OK && z.avail_in != 0) status = Z_BUF_ERROR;  // the bound was too small
        step(read);
    }
    size_t written = 4 + z.total_out;
    deflateEnd(&z);
    if (status != Z_STREAM_END) throw std::runtime_error("deflate failed");
    // The Adler-32 value is the stream's last 4 bytes.
    out.resize(written - (keepCheck ? 0 : 4));
    return out;
}

Member PackMember(const PackFile& file, const PackOptions& options, const std::function<void(uint64_t)>& step) {
    Member member{file.name, file.data, Stored};
    for (const std::string& glob : options.storeGlobs)
        if (MatchGlob(glob, file.name)) return member;
    Bytes deflated = DeflateInSteps(file.data, options.level, options.keepCheck, step);
    if (deflated.size() < file.data.size()) {
        member.stored = std::move(deflated);
        member.method = Deflated;
    }
    return member;
}

Bytes Pack(const PackInputs& inputs, const PackOptions& options, const ProgressFn& progress) {
    std::vector<const PackFile*> files{&inputs.setupProgram, &inputs.projectFile};
    for (const PackFile& file : inputs.supportFiles) files.push_back(&file);
    for (const PackFile& file : inputs.others) files.push_back(&file);

    // The stub finds members by name, first match wins: a second file under the same name
    // would never be read.
    std::set<std::string> keys;
    uint64_t total = 0;
    for (const PackFile* file : files) {
        if (NameKey(file->name).empty()) throw PackError("a member name is empty");
        if (!keys.insert(NameKey(file->name)).second)
            throw PackError("two members are named " + Printable(file->name) + " (names are compared ignoring case)");
        // A deflated member declares its size in 32 signed bits.
        if (file->data.size() > INT32_MAX) throw PackError(Printable(file->name) + " is over 2 GiB");
        total += file->data.size();
    }

    Directory directory;
    directory.setupProgram = inputs.setupProgram.name;
    directory.projectFile = inputs.projectFile.name;
    for (const PackFile& file : inputs.supportFiles) directory.supportFiles.push_back(file.name);
    for (size_t i = 1; i < files.size(); ++i) directory.extraNames.push_back(files[i]->name);

    try {
        std::vector<Member> members;
        uint64_t done = 0;
        for (const PackFile* file : files) {
            std::function<void(uint64_t)> step;
            if (progress) step = [&](uint64_t read) { progress(done + read, total); };
            members.push_back(PackMember(*file, options, step));
            done += file->data.size();
            if (progress) progress(done, total);
        }
        return BuildInstaller(inputs.stub, directory, members);
    } catch (const PackError&) {
        throw;
    } catch (const std::runtime_error& error) {
        // Deflate failing, or offsets beyond what 32 signed bits reach.
        throw PackError(error.what());
    }
}

}  // namespace sfx
