// Test support: a fixture with a private drive root and a box recorder, and installer builders.
#pragma once
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <vector>
#include "write/Writer.h"
#include "support/Samples.h"
#include "system/FileHandle.h"

class Archive;

struct Box {
    std::string caption;
    std::string text;
    unsigned style;
    bool operator==(const Box& other) const {
        return caption == other.caption && text == other.text && style == other.style;
    }
};
std::ostream& operator<<(std::ostream& out, const Box& box);

Box MessageBox(const std::string& text);  // caption "Message", information icon
Box ErrorBox(const std::string& text);    // caption "Error", error icon

// Something that looks like an executable image: "MZ" and a fixed pattern.
sfx::Bytes FakeStub(size_t size = 512);
// A deflated member made by libdeflate, an encoder independent of zlib, with its check value.
sfx::Bytes LibdeflateMember(const sfx::Bytes& data, int level);

using NamedFiles = std::vector<std::pair<std::string, sfx::Bytes>>;
// A set-up program, its project file and two support files, one of them noise.
NamedFiles SampleFiles();
// The files behind the stub: the first names the set-up program, the second the project file,
// the rest are support files; each deflated where that pays and stored otherwise.
sfx::Bytes PackFiles(const NamedFiles& files, const sfx::Bytes& stub = FakeStub());

// Every test runs against its own drive root under a fresh temporary folder, with boxes
// recorded, no planned failures and an empty event log; it must close every file it opens.
class HostRun : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Host paths of drive-letter paths.
    std::string hostPath(const std::string& windowsPath) const;
    void writeFile(const std::string& windowsPath, const sfx::Bytes& bytes) const;
    sfx::Bytes readFile(const std::string& windowsPath) const;
    bool exists(const std::string& windowsPath) const;
    std::vector<std::string> folderEntries(const std::string& windowsPath) const;

    // The bytes as an open input file at its start; closed again at tear-down.
    FileHandle openBytes(const sfx::Bytes& bytes);

    // Unpacks the member to a scratch file and gives its bytes; none when no file was left.
    std::optional<sfx::Bytes> unpack(Archive& archive, const char* name);

    // Writes the installer to c:\dist\setup.exe, makes it the module, and returns its path.
    std::string installer(const sfx::Bytes& bytes);

    std::string root;
    std::vector<Box> boxes;
    std::vector<FileHandle> opened;
    int openAtStart = 0;  // the backend's open files when the test began
};
