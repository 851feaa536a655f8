// Damage to a real installer's directory and trailer, run by the real 64-bit stub under Wine and
// by the same sources on the host: every run ends with exit code 0 within its time, and Wine
// shows the boxes, writes the files and starts the program that the host build predicts.
#include <unistd.h>
#include <algorithm>
#include <cstdio>
#include <set>
#include "archive/Archive.h"
#include "driver/Installer.h"
#include "e2e/WineRun.h"
#include "system/Messages.h"
#include "system/posix/HostControl.h"

namespace {

struct Outcome {
    std::vector<Box> boxes;
    std::vector<std::string> files;  // in c:\_setup, sorted
    std::vector<sfx::Bytes> contents;
    std::vector<std::string> started;
};

const std::string ModulePath = "C:\\dist\\setup.exe";

// The host build's run of the same bytes, in a private drive root; the set-up program starts
// when its file holds the probe, as it would under Wine.
Outcome Predict(const sfx::Bytes& image, const sfx::Bytes& probe, std::set<std::string>& names) {
    char pattern[] = "/tmp/sfxe2e.XXXXXX";
    std::string root = mkdtemp(pattern);
    HostSetDriveRoot(root);
    HostResetFaults();
    HostSetModulePath(ModulePath);
    MessageText = "";
    WriteHostFile(root + "/c/dist/setup.exe", image);
    // The names the run will use, for the caller's check that Wine can use them alike; this
    // look shows its boxes nowhere.
    HostSetBoxSink([](const std::string&, const std::string&, unsigned) {});
    {
        Archive archive;
        if (archive.open(ModulePath.c_str())) {
            names.insert(archive.setupProgram.text());
            names.insert(archive.projectFile.text());
            for (int32_t i = 0; i < archive.supportFiles.count; ++i) names.insert(archive.supportFiles.get(i));
        }
    }
    Outcome out;
    HostSetBoxSink([&](const std::string& caption, const std::string& text, unsigned style) {
        out.boxes.push_back(Box{caption, text, style});
    });
    HostSetLauncher([&](const std::string& line) {
        out.started.push_back(line);
        return ReadHostFile(HostMapPath(line.substr(0, line.find(' ')).c_str())) == probe;
    });
    RunInstaller(nullptr, "");
    HostSetBoxSink(nullptr);
    HostSetLauncher(nullptr);
    out.files = FilesUnder(root + "/c/_setup");
    for (const std::string& name : out.files) out.contents.push_back(ReadHostFile(root + "/c/_setup/" + name));
    std::system(("rm -rf '" + root + "'").c_str());
    return out;
}

class Damage : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(HostExists(Win64Stub().exe)) << "build the win64 preset first";
        ASSERT_FALSE(WinePrefix().empty());
        lock = LockWinePrefix();
        ASSERT_GE(lock, 0);
        probe = ReadHostFile(Win64Stub().probe);
        files = {{"setup.exe", probe}, {"setup.lst", TextLike(3000)}, {"a.dll", Noise(700)}, {"b.txt", TextLike(9000, 5)}};
        image = PackFiles(files, ReadHostFile(Win64Stub().exe));
        directoryAt = (size_t)ReadLittle32(image.data() + image.size() - TrailerSize);
        for (auto& file : files) plainNames.insert(file.first);
    }
    void TearDown() override {
        clear();
        if (lock >= 0) close(lock);
    }
    void clear() {
        EXPECT_TRUE(AwaitOwnProgramsGone(60)) << "a program of the run still runs";
        std::system(("rm -rf '" + DriveC() + "/_setup' '" + DriveC() + "/dist' '" + DriveC() + "/probe.txt'").c_str());
    }

    // Runs one damaged installer both ways; false when its names are not ones Wine and the host
    // treat alike (a damaged count can turn any bytes into a name), so it was not run.
    bool check(const sfx::Bytes& damaged, const std::string& what) {
        std::set<std::string> names;
        Outcome expected = Predict(damaged, probe, names);
        for (const std::string& name : names)
            if (!plainNames.count(name)) return false;
        SCOPED_TRACE(what);
        clear();
        WriteHostFile(DriveC() + "/dist/setup.exe", damaged);
        WineRun result = RunUnderWine(Win64Stub(), "c:\\dist\\setup.exe", "", true, 60);
        EXPECT_EQ(result.exitCode, 0) << "124 is a hang\n" << result.trace.substr(result.trace.size() - std::min<size_t>(result.trace.size(), 4000));
        EXPECT_EQ(result.boxes(), expected.boxes);
        EXPECT_EQ(result.started(), expected.started);
        std::vector<std::string> written = FilesUnder(DriveC() + "/_setup");
        EXPECT_EQ(written, expected.files);
        for (size_t i = 0; i < written.size(); ++i) {
            sfx::Bytes content = ReadHostFile(DriveC() + "/_setup/" + written[i]);
            if (i < expected.files.size()) {
                EXPECT_TRUE(content == expected.contents[i]) << written[i];
            }
            // Nothing but a member's bytes: a member unpacked whole, or stored bytes that the
            // damaged directory placed elsewhere in the installer.
            bool member = std::any_of(files.begin(), files.end(), [&](auto& file) { return file.second == content; });
            EXPECT_TRUE(member || std::search(damaged.begin(), damaged.end(), content.begin(), content.end()) != damaged.end())
                << written[i];
        }
        return true;
    }

    int lock = -1;
    sfx::Bytes probe, image;
    NamedFiles files;
    size_t directoryAt = 0;
    std::set<std::string> plainNames;
};

TEST_F(Damage, CutsInTheDirectoryAndTrailer) {
    // Half the cuts end the file early, half keep the trailer behind a directory cut short.
    size_t tail = image.size() - directoryAt, ran = 0;
    for (size_t i = 0; i < 64; ++i) {
        size_t at = directoryAt + i * tail / 64;
        sfx::Bytes cut(image.begin(), image.begin() + (long)at);
        if (i % 2) cut.insert(cut.end(), image.end() - 8, image.end());
        ran += check(cut, "cut at " + std::to_string(at) + (i % 2 ? ", trailer kept" : ""));
    }
    EXPECT_GE(ran, 64u);
    std::printf("%zu cuts run under Wine\n", ran);
}

TEST_F(Damage, SingleByteChangesInTheDirectoryAndTrailer) {
    // Every byte from the member tables to the end, each changed one way, and a spread of the
    // rest: counts and lengths may turn bytes into names, which are then not run.
    const uint8_t changes[] = {0xFF, 0x01, 0x80, 0x00};
    size_t ran = 0, tried = 0;
    for (size_t at = directoryAt; at < image.size(); ++at) {
        sfx::Bytes damaged = image;
        uint8_t to = changes[tried++ % 4];
        if (damaged[at] == to) to ^= 0x40;
        damaged[at] = to;
        ran += check(damaged, "byte " + std::to_string(at) + " set to " + std::to_string(to));
    }
    EXPECT_GE(ran, 64u) << "of " << tried;
    std::printf("%zu of %zu changes run under Wine\n", ran, tried);
}

}  // namespace
