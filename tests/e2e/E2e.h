// The fixture of the end-to-end tests: a stub under test, the shared prefix locked, and the
// checks that several suites make of a run.
#pragma once
#include <unistd.h>
#include <chrono>
#include <thread>
#include "e2e/WineRun.h"

inline const std::string InstallerLine = "c:\\_setup\\setup.exe c:\\_setup\\setup.lst C:\\dist\\setup.exe";

// A stub under test, with the prefix locked for the whole test: c:\_setup is one folder for every
// Wine user of the machine.
class E2e : public ::testing::Test {
protected:
    // The wide suite runs the 64-bit stub; the smoke set runs each.
    virtual const Stub& stubUnderTest() const { return Win64Stub(); }

    void SetUp() override {
        stub = stubUnderTest();
        UseWinePrefixOf(stub);
        ASSERT_TRUE(HostExists(stub.exe)) << "build the " << stub.name << " preset first";
        ASSERT_FALSE(WinePrefix().empty()) << "scripts/wine-prefix.sh failed";
        lock = LockWinePrefix();
        ASSERT_GE(lock, 0);
        stubBytes = ReadHostFile(stub.exe);
        probe = ReadHostFile(stub.probe);
        clearDrive();
        files = {{"setup.exe", probe}, {"setup.lst", TextLike(30000)}, {"a.dll", Noise(5000)},
                 {"readme.txt", TextLike(120000, 7)}};
    }

    void TearDown() override {
        clearDrive();
        if (lock >= 0) close(lock);
    }

    // What a run may leave on drive C: goes before and after each test, once the programs it
    // started have ended.
    void clearDrive() {
        EXPECT_TRUE(AwaitOwnProgramsGone(Wine32Emulated() ? 600 : 60)) << "a program of the run still runs";
        std::string c = DriveC();
        std::system(("rm -rf '" + c + "/_setup' '" + c + "/dist' '" + c + "/q dist' '" + c + "/deep' '" + c +
                     "/probe.txt' '" + c + "/probe-names.txt' '" + c + "/probe-exit.txt' '" + c + "/launch.txt' '" + c +
                     "/launched.txt' '" + c + "/elsewhere.lst' '" + c + "/pack'").c_str());
    }

    sfx::Bytes build(const NamedFiles& content) { return PackFiles(content, stubBytes); }

    // Writes the installer at c:\<where> and runs it with the tail.
    WineRun run(const sfx::Bytes& installer, const std::string& tail = "", const std::string& where = "dist/setup.exe") {
        WriteHostFile(DriveC() + "/" + where, installer);
        std::string windowsPath = "c:\\" + where;
        std::replace(windowsPath.begin(), windowsPath.end(), '/', '\\');
        return RunUnderWine(stub, windowsPath, tail);
    }

    // The files as a finished extraction leaves them in c:\_setup.
    void unpackByHand(const NamedFiles& content) {
        for (auto& [name, data] : content) WriteHostFile(setup(name), data);
    }
    // The probe runs on after the stub has let it go; its note may come a moment later.
    std::string probeNote() {
        std::string note = DriveC() + "/probe.txt";
        for (int i = 0; i < (Wine32Emulated() ? 3000 : 600) && !HostExists(note); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(100));
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        return ToText(ReadHostFile(note));
    }

    // A plain extraction: every member byte for byte, no box, the set-up program started once.
    void expectExtracted(const WineRun& result, const std::string& line) {
        EXPECT_EQ(result.exitCode, 0);
        EXPECT_TRUE(result.boxes().empty()) << result.trace;
        for (auto& [name, data] : files) EXPECT_EQ(ReadHostFile(setup(name)), data) << name;
        EXPECT_EQ(result.started(), std::vector<std::string>{line}) << result.trace;
        EXPECT_EQ(probeNote(), line + "\n");
    }

    // A run that finds no archive: no box, nothing unpacked, nothing started.
    void expectNothingDone(const WineRun& result) {
        EXPECT_EQ(result.exitCode, 0);
        EXPECT_TRUE(result.boxes().empty()) << result.trace;
        EXPECT_TRUE(result.started().empty());
        EXPECT_FALSE(HostExists(DriveC() + "/_setup"));
    }

    // A clean-up run: one pause of a second, nothing started, no wait cursor, no box.
    void expectCleanUpRun(const WineRun& result) {
        EXPECT_EQ(result.exitCode, 0);
        EXPECT_TRUE(result.boxes().empty()) << result.trace;
        auto sleeps = result.named("kernel32.Sleep");
        ASSERT_EQ(sleeps.size(), 1u) << result.trace;
        EXPECT_EQ(sleeps[0].args.at(0), "000003e8");
        EXPECT_TRUE(result.started().empty());
        EXPECT_TRUE(result.named("user32.SetCursor").empty());
    }

public:
    std::string setup(const std::string& name) const { return DriveC() + "/_setup/" + name; }

protected:
    Stub stub;
    int lock = -1;
    sfx::Bytes stubBytes, probe;
    NamedFiles files;
};
