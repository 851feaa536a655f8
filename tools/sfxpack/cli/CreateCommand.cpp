// sfxpack create: reads the stub and the files (or whole folders), packs them, writes the installer
// and, when asked, its bill of materials.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include "cli/Args.h"
#include "cli/BomDocument.h"
#include "cli/BrandOptions.h"
#include "cli/CodePageOption.h"
#include "cli/Commands.h"
#include "cli/ProgressLine.h"
#include "cli/Stubs.h"
#include "core/Names.h"
#include "host/HostPath.h"
#include "host/InputFile.h"
#include "host/OutputFile.h"
#include "pe/Image.h"
#include "stub/Format.h"
#include "stub/Texts.h"
#include "write/Pack.h"

namespace sfx {

// "PATH" packs under its base name; "NAME=PATH" under NAME; "=PATH" under the base name of a
// path that holds '=' itself.
static std::string PathOf(const std::string& argument) {
    size_t equals = argument.find('=');
    return equals == std::string::npos ? argument : argument.substr(equals + 1);
}

// A regular file is mapped only when its turn comes, so that the files are never all in memory
// at once; a pipe or device (or "-") is read now.
static PackFile MemberFile(const std::string& name, const std::string& path) {
    PackFile file{name, {}, path};
    if (InputSize(path) < 0) {
        file.data = ReadInput(path);
        file.path.clear();
    }
    return file;
}

static PackFile ReadMemberFile(const std::string& argument) {
    std::string path = PathOf(argument), name = argument.substr(0, argument.size() - path.size());
    if (!name.empty()) name.pop_back();  // the '='
    if (name.empty()) name = HostString(HostPath(path).filename());
    if (name.empty()) throw Usage("create", Printable(argument) + " names no file");
    return MemberFile(name, path);
}

// Names the stub will handle in a way the packer may not expect.
static void WarnAboutName(const std::string& name) {
    if (name.find(':') != std::string::npos)
        std::fprintf(stderr,
                     "sfxpack: warning: %s holds a colon: the stub writes it to that path, not into %s\n",
                     Printable(name).c_str(), SetupFolderPath.path);
    else if (name.find_first_of("/\\") != std::string::npos)
        std::fprintf(stderr, "sfxpack: warning: %s holds a folder, which the stub does not create in %s\n",
                     Printable(name).c_str(), SetupFolderPath.path);
}

void RequireStub(ByteView stub, const std::string& path) {
    std::string why;
    if (!UsableAsStub(stub, why)) throw Failure(ExitUsage, "the stub " + Printable(path) + " can't be used: " + why);
}

ByteView UsableStub(ByteView stub, const std::string& path, Bytes& copy) {
    PeHeaders headers;
    if (HasSecurityEntry(stub, headers)) {
        copy.assign(stub.begin(), stub.end());
        RemoveStubSignature(copy, path);
        stub = copy;
    }
    // Checked after the signature is gone: what is left must end where its image ends.
    RequireStub(stub, path);
    return stub;
}

// The fewest bytes a file of that size can take in the installer: all of them when nothing is
// deflated; otherwise what deflate's best ratio leaves. Only an installer that can't fit even so
// is refused before packing; one that fits once deflated is packed, and refused as it is written
// if its members turn out to take more.
static uint64_t LeastStored(uint64_t size, int level) {
    return level == 0 ? size : (size + MaxInflateRatio - 1) / MaxInflateRatio;
}

// Refuses, from the sizes alone and before anything is read, inputs that can't make an
// installer: every file is one member, whose size and offset are 32-bit values, and every
// member's bytes, stored or deflated, lie in the installer below 2 GiB.
static void RequireInputSizes(const std::string& stub, const Words& arguments, int level) {
    RequireInputSize(stub, MaxFileSize, "the stub");
    uint64_t total = 0;
    for (const std::string& argument : arguments) {
        int64_t size = InputSize(PathOf(argument));
        if (size > 0) total += LeastStored((uint64_t)size, level);
        if (total > MaxFileSize)
            throw Failure(ExitUsage, "create: the files come to more than " + std::to_string(MaxFileSize) +
                                         " bytes (at " + Printable(PathOf(argument)) +
                                         ")" + (level ? " even deflated" : "") + ", more than an installer can hold");
    }
}

void RemoveStubSignature(Bytes& stub, const std::string& path) {
    Unsigned done = RemoveSignature(stub);
    if (done == Unsigned::TableRemoved)
        std::fprintf(stderr,
                     "sfxpack: note: the stub %s is signed; its certificate table is removed and its security entry "
                     "cleared, since a signature can't cover what is appended; sign the installer instead\n",
                     Printable(path).c_str());
    else if (done == Unsigned::EntryCleared)
        std::fprintf(stderr,
                     "sfxpack: note: the stub %s has a security entry that records no certificate table ending the "
                     "file; the entry is cleared\n",
                     Printable(path).c_str());
}

// The files under a folder, every level down, in byte order of their paths relative to it so
// that the same folder always packs the same way. Top-level files are unpacked beside the set-up
// program; files in subfolders ride along under names with backslashes, since the stub creates
// no folders. The set-up program, the project file and the installer being written (an earlier
// one, when it is written into the folder) are left out.
static void AddFolder(const std::string& folder, const std::vector<std::string>& named, PackInputs& inputs) {
    namespace fs = std::filesystem;
    std::error_code error;
    if (!fs::is_directory(HostPath(folder), error)) throw Usage("create", Printable(folder) + " is not a folder");
    std::vector<std::pair<std::string, fs::path>> files;
    fs::recursive_directory_iterator it(HostPath(folder), error), end;
    for (; !error && it != end; it.increment(error)) {
        if (!it->is_regular_file(error)) continue;
        std::string relative = HostGenericString(it->path().lexically_relative(HostPath(folder)));
        files.push_back({relative, it->path()});
    }
    if (error) throw Failure(ExitUsage, "cannot read the folder " + Printable(folder) + ": " + error.message());
    std::sort(files.begin(), files.end());
    for (const auto& file : files) {
        bool isNamed = false;
        for (const std::string& path : named) isNamed = isNamed || fs::equivalent(HostPath(path), file.second, error);
        if (isNamed) continue;
        std::string name = file.first;
        std::replace(name.begin(), name.end(), '/', '\\');
        PackFile member = MemberFile(name, HostString(file.second));
        if (name.find('\\') == std::string::npos)
            inputs.supportFiles.push_back(std::move(member));
        else
            inputs.others.push_back(std::move(member));
    }
}

struct CreateOptions {
    std::string output, setup, project, sbom;
    StubOptions stub;
    BrandOptions brand;
    Words supports, others, folders;
    PackOptions pack;
};

static CreateOptions ReadCreateOptions(const Words& words) {
    Args args("create", words);
    CreateOptions o;
    const std::map<std::string, std::string*> once = {
        {"-o", &o.output}, {"--output", &o.output}, {"--setup", &o.setup}, {"--project", &o.project},
        {"--sbom", &o.sbom}};
    const std::map<std::string, Words*> repeated = {
        {"--support", &o.supports}, {"--member", &o.others}, {"--store", &o.pack.storeGlobs}};
    while (!args.done()) {
        if (!args.atOption()) {
            o.folders.push_back(args.operand());
            continue;
        }
        std::string option = args.option();
        if (o.stub.read(args, option) || o.brand.read(args, option)) continue;
        if (once.count(option)) {
            *once.at(option) = args.value();
        } else if (repeated.count(option)) {
            repeated.at(option)->push_back(args.value());
        } else if (option == "--level") {
            o.pack.level = args.number(0, MaxLevel);
        } else if (option == "-j" || option == "--jobs") {
            o.pack.jobs = args.number(1, 256);
        } else if (option == "--codepage") {
            o.pack.codePage = ReadCodePage(args, "create");
        } else if (option == "--no-check") {
            args.flag();
            o.pack.keepCheck = false;
        } else {
            args.unknown();
        }
    }
    for (auto required : {std::make_pair("-o", &o.output), std::make_pair("--setup", &o.setup),
                          std::make_pair("--project", &o.project)})
        if (required.second->empty()) throw Usage("create", std::string(required.first) + " is required");
    if (o.sbom == o.output) throw Usage("create", "-o and --sbom name one file; give the document its own");
    return o;
}

// The stub and every file, read and checked: sizes before anything is read, the stub before the
// files, the whole after.
static PackInputs ReadInputs(const CreateOptions& o, const std::string& stub, const Branding& branding) {
    Words arguments = {o.setup, o.project};
    arguments.insert(arguments.end(), o.supports.begin(), o.supports.end());
    arguments.insert(arguments.end(), o.others.begin(), o.others.end());
    RequireInputSizes(stub, arguments, o.pack.level);
    PackInputs inputs;
    {
        // Checked in place: only its headers are read before it is found wanting.
        InputFile stubInput(stub);
        Bytes unsignedCopy;
        ByteView usable = UsableStub(stubInput.bytes(), stub, unsignedCopy);
        inputs.stub = unsignedCopy.empty() ? Bytes(usable.begin(), usable.end()) : std::move(unsignedCopy);
    }
    if (!branding.empty()) BrandStub(inputs.stub, branding, stub);
    inputs.setupProgram = ReadMemberFile(o.setup);
    inputs.projectFile = ReadMemberFile(o.project);
    for (const std::string& argument : o.supports) inputs.supportFiles.push_back(ReadMemberFile(argument));
    for (const std::string& argument : o.others) inputs.others.push_back(ReadMemberFile(argument));
    for (const std::string& folder : o.folders)
        AddFolder(folder, {PathOf(o.setup), PathOf(o.project), o.output}, inputs);
    // Only the named files are unpacked, so only their names matter to the stub.
    WarnAboutName(inputs.setupProgram.name);
    WarnAboutName(inputs.projectFile.name);
    for (const PackFile& file : inputs.supportFiles) WarnAboutName(file.name);

    int level = o.pack.level;
    uint64_t total = inputs.stub.size() + LeastStored(inputs.setupProgram.size(), level) +
                     LeastStored(inputs.projectFile.size(), level);
    for (const auto* list : {&inputs.supportFiles, &inputs.others})
        for (const PackFile& file : *list) total += LeastStored(file.size(), level);
    if (total > MaxFileSize)
        throw Failure(ExitUsage, "create: the files come to " + std::to_string(total) +
                                     " bytes, more than an installer can hold");
    return inputs;
}

// The bill of materials of the installer as create wrote it, unsigned; its file is made before
// packing starts, so that one that can't be written stops create before the work.
struct BomOutput {
    BomHead head;
    std::unique_ptr<OutputFile> file;
    Contents contents;

    explicit BomOutput(const CreateOptions& o) : head{BomName(o.output), o.pack.codePage} {
        if (o.sbom.empty()) return;
        ReadSourceDateEpoch(head, "create");
        file = std::make_unique<OutputFile>(o.sbom);
    }
    Contents* recording() { return file ? &contents : nullptr; }
    void write() {
        if (!file) return;
        std::string text = BomJson(contents, head);
        file->write(text.data(), text.size());
    }
};

int CreateCommand(const Words& words) {
    CreateOptions options = ReadCreateOptions(words);
    const bool quiet = options.stub.quiet;
    std::string stub = options.stub.choose("create");
    Branding branding = options.brand.load("create");
    BomOutput bom(options);
    PackInputs inputs = ReadInputs(options, stub, branding);
    EncodeNames(inputs, options.pack.codePage);
    // Written as it is packed; the file appears only once it is whole.
    OutputFile installer(options.output);
    uint64_t size;
    {
        ProgressLine progress("packing", quiet);
        try {
            size = PackTo(inputs, options.pack, [&](const uint8_t* data, size_t n) { installer.write(data, n); },
                          progress.callback(), bom.recording());
        } catch (const PackError& error) {
            throw Failure(ExitUsage, std::string("create: ") + error.what());
        }
    }
    bom.write();
    installer.commit();
    if (bom.file) bom.file->commit();
    size_t members = 2 + inputs.supportFiles.size() + inputs.others.size();
    // On stderr: stdout may be the installer itself ("-o -").
    if (!quiet)
        std::fprintf(stderr, "%s: %zu members, %llu bytes\n", Printable(options.output).c_str(), members,
                     (unsigned long long)size);
    return ExitOk;
}

}  // namespace sfx
