// sfxpack create: reads the stub and the files, packs them, writes the installer.
#include <cstdio>
#include <filesystem>
#include <map>
#include "Args.h"
#include "Commands.h"
#include "Host.h"
#include "Image.h"
#include "Inspect.h"
#include "Names.h"
#include "Pack.h"
#include "ProgressLine.h"

namespace sfx {

// "PATH" packs under its base name; "NAME=PATH" under NAME; "=PATH" under the base name of a
// path that holds '=' itself.
static PackFile ReadMemberFile(const std::string& argument) {
    size_t equals = argument.find('=');
    std::string name, path = argument;
    if (equals != std::string::npos) {
        name = argument.substr(0, equals);
        path = argument.substr(equals + 1);
    }
    if (name.empty()) name = std::filesystem::path(path).filename().string();
    if (name.empty()) throw Usage("create", Printable(argument) + " names no file");
    return {name, ReadInput(path)};
}

// Names the stub will handle in a way the packer may not expect.
static void WarnAboutName(const std::string& name) {
    if (name.find(':') != std::string::npos)
        std::fprintf(stderr,
                     "sfxpack: warning: %s holds a colon: the stub writes it to that path, not into c:\\_setup\n",
                     Printable(name).c_str());
    else if (name.find_first_of("/\\") != std::string::npos)
        std::fprintf(stderr, "sfxpack: warning: %s holds a folder, which the stub does not create in c:\\_setup\n",
                     Printable(name).c_str());
}

static void WarnIfInstaller(const Bytes& stub, const std::string& path) {
    if (Inspect(stub).kind == FileKind::Installer)
        std::fprintf(stderr, "sfxpack: warning: the stub %s already ends with an archive; the new one hides it\n",
                     Printable(path).c_str());
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

int CreateCommand(const Words& words) {
    Args args("create", words);
    std::string output, stub, setup, project;
    Words supports, others;
    PackOptions options;
    const std::map<std::string, std::string*> once = {
        {"-o", &output}, {"--output", &output}, {"--stub", &stub}, {"--setup", &setup}, {"--project", &project}};
    const std::map<std::string, Words*> repeated = {
        {"--support", &supports}, {"--member", &others}, {"--store", &options.storeGlobs}};
    while (!args.done()) {
        if (!args.atOption()) throw Usage("create", "unexpected argument " + Printable(args.operand()));
        std::string option = args.option();
        if (once.count(option)) {
            *once.at(option) = args.value();
        } else if (repeated.count(option)) {
            repeated.at(option)->push_back(args.value());
        } else if (option == "--level") {
            options.level = args.number(0, 9);
        } else if (option == "--no-check") {
            args.flag();
            options.keepCheck = false;
        } else {
            args.unknown();
        }
    }
    for (auto required : {std::make_pair("-o", &output), std::make_pair("--stub", &stub),
                          std::make_pair("--setup", &setup), std::make_pair("--project", &project)})
        if (required.second->empty()) throw Usage("create", std::string(required.first) + " is required");

    PackInputs inputs;
    inputs.stub = ReadInput(stub);
    WarnIfInstaller(inputs.stub, stub);
    RemoveStubSignature(inputs.stub, stub);
    inputs.setupProgram = ReadMemberFile(setup);
    inputs.projectFile = ReadMemberFile(project);
    for (const std::string& argument : supports) inputs.supportFiles.push_back(ReadMemberFile(argument));
    for (const std::string& argument : others) inputs.others.push_back(ReadMemberFile(argument));
    // Only the named files are unpacked, so only their names matter to the stub.
    WarnAboutName(inputs.setupProgram.name);
    WarnAboutName(inputs.projectFile.name);
    for (const PackFile& file : inputs.supportFiles) WarnAboutName(file.name);

    Bytes installer;
    {
        ProgressLine progress("packing");
        try {
            installer = Pack(inputs, options, progress.callback());
        } catch (const PackError& error) {
            throw Failure(ExitUsage, std::string("create: ") + error.what());
        }
    }
    WriteOutput(output, installer);
    size_t members = 2 + inputs.supportFiles.size() + inputs.others.size();
    std::printf("%s: %zu members, %zu bytes\n", Printable(output).c_str(), members, installer.size());
    return ExitOk;
}

}  // namespace sfx
