// Packing: names checked as the stub will compare them, members deflated in pieces on several
// threads, and the layout written in order as the pieces come back.
#include "write/Pack.h"
#include <zlib.h>
#include <algorithm>
#include <climits>
#include <cstdint>
#include <map>
#include "core/Digest.h"
#include "core/Names.h"
#include "host/InputFile.h"
#include "host/IoError.h"
#include "write/ParallelPack.h"

namespace sfx {

uint64_t PackFile::size() const {
    if (path.empty()) return data.size();
    int64_t bytes = InputSize(path);
    // A pipe or device can't be mapped: it is read into data instead (CreateCommand).
    if (bytes < 0) throw PackError(Printable(path) + " is not a regular file");
    return (uint64_t)bytes;
}

namespace {

class HeldBytes : public MemberBytes {
public:
    explicit HeldBytes(const Bytes& data) : view(data) {}
    ByteView bytes() const override { return view; }

private:
    ByteView view;
};

class MappedBytes : public MemberBytes {
public:
    explicit MappedBytes(const std::string& path) : file(path) {}
    ByteView bytes() const override { return file.bytes(); }

private:
    InputFile file;
};

MemberPlan PlanFor(const PackFile& file, const PackOptions& options) {
    MemberPlan plan;
    plan.size = file.size();
    // A deflated member declares its size in 32 signed bits.
    if (plan.size > INT32_MAX) throw PackError(ShownName(file.name, options.codePage) + " is over 2 GiB");
    for (const std::string& glob : options.storeGlobs) plan.deflate = plan.deflate && !MatchGlob(glob, file.name);
    if (file.path.empty())
        plan.open = [&file] { return std::make_shared<HeldBytes>(file.data); };
    else
        plan.open = [path = file.path] { return std::make_shared<MappedBytes>(path); };
    return plan;
}

PieceOptions PiecesFor(const PackOptions& options) {
    PieceOptions pieces;
    pieces.level = options.level;
    pieces.encoder = options.encoder;
    pieces.jobs = options.jobs;
    pieces.pieceSize = options.pieceSize;
    return pieces;
}

// Each member's stored bytes from its pieces, in order: when deflated, the declared size, the
// zlib header, the pieces' bits and the check value; when stored, the input as it is.
class MemberStream {
public:
    MemberStream(const PackOptions& options, const std::vector<MemberPlan>& plans, ByteSink out,
                 std::function<void(size_t member, int32_t method)> begin)
        : options(options), plans(plans), out(std::move(out)), begin(std::move(begin)) {}

    bool piece(const Piece& piece) {
        if (piece.first) start(piece);
        if (method == Stored) {
            out(piece.input.data(), piece.input.size());
            return false;
        }
        out(piece.stream.data(), piece.stream.size());
        adler = (uint32_t)adler32_combine(adler, piece.adler, (z_off_t)piece.input.size());
        if (piece.last && options.keepCheck) {
            uint8_t check[4] = {(uint8_t)(adler >> 24), (uint8_t)(adler >> 16), (uint8_t)(adler >> 8), (uint8_t)adler};
            out(check, sizeof check);
        }
        return true;
    }

private:
    void start(const Piece& piece) {
        // A whole member is stored unless deflating shrinks it; one of several pieces is judged
        // by its first, whose bytes must go out before the rest are deflated.
        uint64_t deflated = DeflatedPrefixSize + 2 + piece.stream.size() + (options.keepCheck ? 4 : 0);
        method = piece.deflated && deflated < piece.input.size() ? Deflated : Stored;
        begin(piece.member, method);
        if (method == Stored) return;
        uint8_t prefix[DeflatedPrefixSize];
        WriteLittle32(prefix, (int32_t)plans[piece.member].size);
        out(prefix, sizeof prefix);
        Bytes header = ZlibHeader(options.level);
        out(header.data(), header.size());
        adler = 1;
    }

    const PackOptions& options;
    const std::vector<MemberPlan>& plans;
    ByteSink out;
    std::function<void(size_t, int32_t)> begin;
    int32_t method = Stored;
    uint32_t adler = 1;
};

// The members in table order, their names checked as the stub will compare them.
std::vector<const PackFile*> CheckedMembers(const PackInputs& inputs, int codePage) {
    std::vector<const PackFile*> files{&inputs.setupProgram, &inputs.projectFile};
    for (const PackFile& file : inputs.supportFiles) files.push_back(&file);
    for (const PackFile& file : inputs.others) files.push_back(&file);
    // The stub finds members by name, first match wins: a second file under the same name
    // would never be read.
    std::map<std::string, const std::string*> keys, windowsKeys;
    for (const PackFile* file : files) {
        if (NameKey(file->name).empty()) throw PackError("a member name is empty");
        auto [it, added] = keys.emplace(NameKey(file->name), &file->name);
        if (added) {
            // Windows folds more than A-Z: the second file would overwrite the first on disk.
            const std::string seen = file->name.substr(0, file->name.find('\0'));
            auto [same, fresh] = windowsKeys.emplace(CharKey(seen, codePage), &file->name);
            if (!fresh)
                throw PackError(ShownName(*same->second, codePage) + " and " + ShownName(file->name, codePage) +
                                " are one file to Windows, which compares names ignoring case: the second would "
                                "overwrite the first");
            continue;
        }
        const std::string& earlier = *it->second;
        if (CharKey(earlier, codePage) != CharKey(file->name, codePage))
            throw PackError(ShownName(earlier, codePage) + " and " + ShownName(file->name, codePage) +
                            " are different names, but the stub folds A-Z bytes even where they are the second byte "
                            "of a character, and would take them for one");
        throw PackError("two members are named " + ShownName(file->name, codePage) +
                        " (names are compared ignoring case)");
    }
    return files;
}

Directory DirectoryOf(const PackInputs& inputs, const std::vector<const PackFile*>& files) {
    Directory directory;
    directory.setupProgram = inputs.setupProgram.name;
    directory.projectFile = inputs.projectFile.name;
    for (const PackFile& file : inputs.supportFiles) directory.supportFiles.push_back(file.name);
    for (size_t i = 1; i < files.size(); ++i) directory.extraNames.push_back(files[i]->name);
    return directory;
}

// Member tables gathered while the members are written.
struct Tables {
    std::vector<std::string> names;
    std::vector<int32_t> offsets, sizes, methods;
};

// What create's bill of materials lists, taken as the installer is packed: the file hashed as
// it is written, each member as its pieces come back in order.
class Recorder {
public:
    Recorder(const PackInputs& inputs, Contents* contents) : inputs(inputs), contents(contents) {
        if (!contents) return;
        DescribeStub(inputs.stub, *contents);
        file = std::make_unique<Digest>();
    }

    void written(const uint8_t* data, size_t size) {
        if (contents) file->add(data, size);
    }

    void piece(const Piece& piece) {
        if (!contents) return;
        if (piece.first) member = std::make_unique<Digest>();
        member->add(piece.input);
        if (piece.last) sums.push_back(HexDigits(member->finish()));
    }

    // Once the tables are whole: each member as the inspection of the installer would find it.
    void finish(const std::vector<const PackFile*>& files, const Tables& tables, const std::vector<MemberPlan>& plans) {
        if (!contents) return;
        contents->sha256 = HexDigits(file->finish());
        size_t supports = inputs.supportFiles.size();
        for (size_t i = 0; i < files.size(); ++i) {
            MemberContents m;
            m.name = files[i]->name;
            m.role = i == 0              ? Role::SetupProgram
                     : i == 1            ? Role::ProjectFile
                     : i < 2 + supports  ? Role::SupportFile
                                         : Role::Other;
            m.complete = true;
            m.method = tables.methods[i];
            m.stored = tables.sizes[i];
            m.size = (int64_t)plans[i].size;
            m.sha256 = sums.at(i);
            contents->members.push_back(m);
        }
    }

private:
    const PackInputs& inputs;
    Contents* contents;
    std::unique_ptr<Digest> file, member;
    std::vector<std::string> sums;
};

uint64_t WriteInstaller(const PackInputs& inputs, const PackOptions& options, const ByteSink& out,
                        const ProgressFn& progress, Contents* contents) {
    Recorder recorder(inputs, contents);
    std::vector<const PackFile*> files = CheckedMembers(inputs, options.codePage);
    std::vector<MemberPlan> plans;
    uint64_t total = 0, done = 0, written = 0;
    for (const PackFile* file : files) {
        plans.push_back(PlanFor(*file, options));
        total += plans.back().size;
    }
    // Offsets in the installer are 32 signed bits.
    ByteSink write = [&](const uint8_t* data, size_t size) {
        if (written + size > INT32_MAX) throw PackError("the installer would be over 2 GiB");
        out(data, size);
        recorder.written(data, size);
        written += size;
    };
    write(inputs.stub.data(), inputs.stub.size());
    Tables tables;
    MemberStream stream(options, plans, write, [&](size_t member, int32_t method) {
        if (!tables.offsets.empty()) tables.sizes.push_back((int32_t)written - tables.offsets.back());
        tables.names.push_back(files[member]->name);
        tables.offsets.push_back((int32_t)written);
        tables.methods.push_back(method);
    });
    DeflatePieces(plans, PiecesFor(options), [&](const Piece& piece) {
        bool deflateRest = stream.piece(piece);
        recorder.piece(piece);
        done += piece.input.size();
        if (progress) progress(done, total);
        return deflateRest;
    });
    tables.sizes.push_back((int32_t)written - tables.offsets.back());
    int32_t directoryOffset = (int32_t)written;
    Bytes directory = EncodeDirectory(DirectoryOf(inputs, files), tables.names, tables.offsets, tables.sizes,
                                      tables.methods);
    write(directory.data(), directory.size());
    Bytes trailer = Trailer(directoryOffset);
    write(trailer.data(), trailer.size());
    recorder.finish(files, tables, plans);
    return written;
}

}  // namespace

Member PackMember(const PackFile& file, const PackOptions& options, const std::function<void(uint64_t)>& step) {
    Member member{file.name, {}, Stored};
    std::vector<MemberPlan> plans{PlanFor(file, options)};
    MemberStream stream(options, plans, [&](const uint8_t* data, size_t size) {
        member.stored.insert(member.stored.end(), data, data + size);
    }, [&](size_t, int32_t method) { member.method = method; });
    uint64_t read = 0;
    DeflatePieces(plans, PiecesFor(options), [&](const Piece& piece) {
        bool deflateRest = stream.piece(piece);
        read += piece.input.size();
        if (step) step(read);
        return deflateRest;
    });
    return member;
}

uint64_t PackTo(const PackInputs& inputs, const PackOptions& options, const ByteSink& out, const ProgressFn& progress,
                Contents* contents) {
    try {
        return WriteInstaller(inputs, options, out, progress, contents);
    } catch (const PackError&) {
        throw;
    } catch (const IoError&) {
        throw;  // an input or the output that can't be read or written says so itself
    } catch (const std::runtime_error& error) {
        // Deflate failing.
        throw PackError(error.what());
    }
}

Bytes Pack(const PackInputs& inputs, const PackOptions& options, const ProgressFn& progress) {
    Bytes installer;
    PackTo(inputs, options, [&](const uint8_t* data, size_t size) { installer.insert(installer.end(), data, data + size); },
           progress);
    return installer;
}

}  // namespace sfx
