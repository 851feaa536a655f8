// Test support for sfxpack: sample data, stand-in stubs, a hand-written installer, and the built
// tool run in a private temporary folder.
#pragma once
#include <gtest/gtest.h>
#include <string>
#include <vector>
#include "write/Writer.h"
#include "support/Samples.h"

void Put32(sfx::Bytes& bytes, size_t at, int32_t value);
int32_t Get32(const sfx::Bytes& bytes, size_t at);

// A PE image of exactly the given size (at least 0x201): headers, then one section to the end.
sfx::Bytes PeStub(size_t size);
// A packed installer behind a 0x400-byte PE stub: set-up program, project and two support files.
sfx::Bytes SampleInstaller(bool keepCheck = true);
// The head (stub and members), the directory, then the trailer pointing at the directory.
sfx::Bytes Assemble(const sfx::Bytes& head, const sfx::Bytes& directory);
// The bytes of a, then b's.
sfx::Bytes Joined(sfx::Bytes a, const sfx::Bytes& b);
// A deflated member's bytes as the stub inflates them, in one call into the declared size; empty
// when the stub would refuse them.
sfx::Bytes InflateAsTheStub(const sfx::Bytes& stored);
// A small installer typed out byte by byte (in InspectTest.cpp).
extern const sfx::Bytes HandWritten;
// The built sfxpack and sfxpack.exe, the fuzzers' regression inputs, the clone and the Windows
// download that package.winzip makes (ToolPaths.cpp).
extern const char* const SfxpackPath;
extern const char* const RegressionsDir;
extern const char* const SfxpackExe;
extern const char* const SourceDir;
extern const char* const StubManifestPath;
extern const char* const WinZip;

// What tests/tools/check-bom.py finds wrong with the bills of materials at the paths, checked
// against the official CycloneDX schema: empty when nothing is.
std::string BomProblems(const std::vector<std::string>& paths);

// Runs in a fresh temporary folder, removed afterwards.
class ToolRun : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    std::string path(const std::string& name) const { return folder + "/" + name; }
    void write(const std::string& name, const sfx::Bytes& bytes) const;
    sfx::Bytes read(const std::string& name) const;
    bool exists(const std::string& name) const;
    // Runs sfxpack in the folder; the exit code, with stdout and stderr kept in out and err.
    // A non-empty input names a file in the folder for standard input.
    int run(const std::vector<std::string>& arguments, const std::string& input = "");

    std::string folder, out, err;
    std::vector<std::string> tool = {SfxpackPath};  // the command line that starts sfxpack
    std::string limits;  // shell commands run before sfxpack, such as "ulimit -f 100; "
};
