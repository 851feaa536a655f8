// The real sfxstub.exe under Wine: installers made from it are run without a display, the
// calls that show or start something are read from Wine's relay trace, and the set-up
// program is a probe that writes down the command line it received.
#include <fcntl.h>
#include <strings.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <sys/wait.h>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <thread>
#include "support/HostRun.h"

namespace {

const std::string Win32Dir = SFX_WIN32_DIR;
// The shared prefix, made once per machine by the script, which prints where it is.
std::string WinePrefix() {
    std::string path;
    if (FILE* out = popen("bash " SFX_SOURCE_DIR "/scripts/wine-prefix.sh", "r")) {
        char buffer[4096];
        while (fgets(buffer, sizeof buffer, out)) path = buffer;
        pclose(out);
    }
    while (!path.empty() && path.back() == '\n') path.pop_back();
    return path;
}
const std::string Prefix = WinePrefix();
const std::string DriveC = Prefix + "/drive_c";

sfx::Bytes ReadHostFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return sfx::Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteHostFile(const std::string& path, const sfx::Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write((const char*)bytes.data(), (std::streamsize)bytes.size());
}

bool Exists(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0;
}

// One call from the relay trace: its name and its arguments, strings unescaped.
struct Call {
    std::string name;
    std::vector<std::string> args;
};

// Wine prints string arguments as  0040a000 "text"  with C-like escapes.
std::vector<std::string> ParseArgs(const std::string& list) {
    std::vector<std::string> args;
    std::string current;
    bool inString = false;
    for (size_t i = 0; i < list.size(); ++i) {
        char c = list[i];
        if (inString) {
            if (c == '\\' && i + 1 < list.size()) {
                char e = list[++i];
                if (e == 'n') current += '\n';
                else if (e == 't') current += '\t';
                else if (e == 'x' && i + 2 < list.size()) {
                    current += (char)std::stoi(list.substr(i + 1, 2), nullptr, 16);
                    i += 2;
                } else current += e;
            } else if (c == '"') {
                inString = false;
            } else {
                current += c;
            }
        } else if (c == '"') {
            inString = true;
            current.clear();  // the string replaces the pointer before it
        } else if (c == ',') {
            args.push_back(current);
            current.clear();
        } else if (c != ' ') {
            current += c;
        }
    }
    args.push_back(current);
    return args;
}

struct WineRun {
    int exitCode = -1;
    std::vector<Call> calls;
    std::string trace;

    std::vector<Call> named(const std::string& name) const {
        std::vector<Call> out;
        // Modules appear as they were imported: KERNEL32, user32.
        for (const Call& call : calls)
            if (strcasecmp(call.name.c_str(), name.c_str()) == 0) out.push_back(call);
        return out;
    }
    // The boxes as (caption, text, style) in the order shown.
    std::vector<Box> boxes() const {
        std::vector<Box> out;
        for (const Call& call : named("user32.MessageBoxA"))
            out.push_back(Box{call.args.at(2), call.args.at(1), (unsigned)std::stoul(call.args.at(3), nullptr, 16)});
        return out;
    }
};

// Runs c:\dist\<name> with the given tail and reads back the trace.
WineRun RunInstaller(const std::string& name, const std::string& tail) {
    std::string trace = Prefix + "/trace.txt";
    std::string command = "cd '" + DriveC + "' && env -u DISPLAY WINEPREFIX='" + Prefix +
                          "' WINEDEBUG=+relay WINEDLLOVERRIDES='mscoree,mshtml=;winemenubuilder.exe=d' "
                          "timeout 600 wine 'c:\\dist\\" + name + "' " + tail + " 2>'" + trace + "' >/dev/null";
    WineRun run;
    int status = std::system(command.c_str());
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::ifstream in(trace);
    std::string line;
    // Lines of the form  0024:Call user32.MessageBoxA(args) ret=00401234
    while (std::getline(in, line)) {
        size_t call = line.find(":Call "), open = line.find('('), close = line.rfind(") ret=");
        if (call != std::string::npos && open != std::string::npos && close != std::string::npos && call < open &&
            open < close)
            run.calls.push_back(Call{line.substr(call + 6, open - call - 6), ParseArgs(line.substr(open + 1, close - open - 1))});
        run.trace += line + "\n";
    }
    return run;
}

}  // namespace

class Wine : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(Exists(Win32Dir + "/sfxstub.exe")) << "build the win32 preset first";
        ASSERT_TRUE(Exists(Prefix + "/.sfx-ready")) << "run scripts/wine-prefix.sh first";
        // The prefix and its c:\_setup are shared with the demo and the benchmarks.
        lock = open((Prefix + "/.lock").c_str(), O_CREAT | O_RDWR | O_CLOEXEC, 0644);
        ASSERT_GE(lock, 0);
        ASSERT_EQ(flock(lock, LOCK_EX), 0);
        stub = ReadHostFile(Win32Dir + "/sfxstub.exe");
        probe = ReadHostFile(Win32Dir + "/setupprobe.exe");
        ASSERT_EQ(std::system(("rm -rf '" + DriveC + "/_setup' '" + DriveC + "/dist' '" + DriveC +
                               "/probe.txt' && mkdir -p '" + DriveC + "/dist'").c_str()), 0);
        files = {{"setup.exe", probe}, {"setup.lst", TextLike(30000)}, {"a.dll", Noise(5000)},
                 {"readme.txt", TextLike(120000, 7)}};
    }

    sfx::Bytes build(const NamedFiles& content) { return PackFiles(content, stub); }

    // The probe runs on after the stub has let it go; its note may come a moment later.
    std::string probeNote() {
        for (int i = 0; i < 600 && !Exists(DriveC + "/probe.txt"); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        return ToText(ReadHostFile(DriveC + "/probe.txt"));
    }

    void TearDown() override {
        if (lock >= 0) close(lock);
    }

    int lock = -1;
    sfx::Bytes stub, probe;
    NamedFiles files;
};

TEST_F(Wine, UnpacksEveryMemberStartsTheSetupProgramThenCleansUp) {
    WriteHostFile(DriveC + "/dist/setup.exe", build(files));
    WineRun run = RunInstaller("setup.exe", "");
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(run.boxes().empty()) << run.trace;
    for (auto& [name, data] : files) EXPECT_EQ(ReadHostFile(DriveC + "/_setup/" + name), data) << name;

    auto starts = run.named("kernel32.CreateProcessA");
    ASSERT_EQ(starts.size(), 1u) << run.trace;
    const std::string line = "c:\\_setup\\setup.exe c:\\_setup\\setup.lst C:\\dist\\setup.exe";
    EXPECT_EQ(starts[0].args.at(0), "00000000");  // no application name
    EXPECT_EQ(starts[0].args.at(1), line);
    EXPECT_EQ(starts[0].args.at(4), "00000000");  // nothing inherited
    EXPECT_EQ(starts[0].args.at(5), "04000210");
    EXPECT_EQ(probeNote(), line + "\n");
    EXPECT_EQ(run.named("user32.SetCursor").size(), 1u);

    // The second run, as the set-up program would start it, takes everything away again.
    WineRun cleanUp = RunInstaller("setup.exe", "/q");
    EXPECT_EQ(cleanUp.exitCode, 0);
    EXPECT_TRUE(cleanUp.boxes().empty()) << cleanUp.trace;
    EXPECT_FALSE(Exists(DriveC + "/_setup"));
    auto sleeps = cleanUp.named("kernel32.Sleep");
    ASSERT_EQ(sleeps.size(), 1u);
    EXPECT_EQ(sleeps[0].args.at(0), "000003e8");
    EXPECT_TRUE(cleanUp.named("kernel32.CreateProcessA").empty());
    EXPECT_TRUE(cleanUp.named("user32.SetCursor").empty());
}

TEST_F(Wine, AForeignFileKeepsTheFolder) {
    WriteHostFile(DriveC + "/dist/setup.exe", build(files));
    mkdir((DriveC + "/_setup").c_str(), 0755);
    for (auto& [name, data] : files) WriteHostFile(DriveC + "/_setup/" + name, data);
    WriteHostFile(DriveC + "/_setup/user.dat", ToBytes("mine"));
    WineRun run = RunInstaller("setup.exe", "Q");
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(run.boxes().empty()) << run.trace;
    for (auto& [name, data] : files) EXPECT_FALSE(Exists(DriveC + "/_setup/" + name)) << name;
    EXPECT_TRUE(Exists(DriveC + "/_setup/user.dat"));
}

TEST_F(Wine, WithoutTheSignatureNothingHappens) {
    WriteHostFile(DriveC + "/dist/bare.exe", stub);
    WineRun run = RunInstaller("bare.exe", "");
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(run.boxes().empty()) << run.trace;
    EXPECT_TRUE(run.named("kernel32.CreateProcessA").empty());
    EXPECT_FALSE(Exists(DriveC + "/_setup"));
}

TEST_F(Wine, EachFailureShowsItsBoxAndTheRunGoesOn) {
    // The set-up program's method is refused (and its name ends in an underscore), the project
    // file's stream is damaged, one support file can't be created, the last one unpacks, and
    // the set-up program then can't be run.
    sfx::Bytes damaged = sfx::DeflateMember(TextLike(30000));
    damaged[damaged.size() / 2] ^= 0xFF;
    sfx::Directory dir{"setup_", "setup.lst", {"blocked.dll", "last.txt"}, {}, ""};
    sfx::Bytes image = sfx::BuildInstaller(stub, dir, {{"setup_", probe, 3}, {"setup.lst", damaged, sfx::Deflated},
                                                       {"blocked.dll", ToBytes("x"), sfx::Stored},
                                                       {"last.txt", ToBytes("last"), sfx::Stored}});
    WriteHostFile(DriveC + "/dist/setup.exe", image);
    mkdir((DriveC + "/_setup").c_str(), 0755);
    mkdir((DriveC + "/_setup/blocked.dll").c_str(), 0755);

    WineRun run = RunInstaller("setup.exe", "");
    EXPECT_EQ(run.exitCode, 0);
    const std::string line = "c:\\_setup\\setup_c:\\_setup\\setup.lst C:\\dist\\setup.exe";
    EXPECT_EQ(run.boxes(), (std::vector<Box>{ErrorBox("Self extracting header requires Quillmoor 97"),
                                             ErrorBox("Zlib error"),
                                             MessageBox("Cannot create file: c:\\_setup\\blocked.dll"),
                                             MessageBox("Cannot run " + line)}))
        << run.trace;
    EXPECT_EQ(ToText(ReadHostFile(DriveC + "/_setup/last.txt")), "last");
    EXPECT_FALSE(Exists(DriveC + "/_setup/setup_"));
    EXPECT_FALSE(Exists(DriveC + "/_setup/setup.lst"));
    auto starts = run.named("kernel32.CreateProcessA");
    ASSERT_EQ(starts.size(), 1u);
    EXPECT_EQ(starts[0].args.at(1), line);
}

TEST_F(Wine, AnInstallerFromSfxpackMovedBehindALargerStubUnpacksTheSameBytes) {
    std::string work = Prefix + "/pack";
    ASSERT_EQ(std::system(("rm -rf '" + work + "' && mkdir -p '" + work + "'").c_str()), 0);
    for (auto& [name, data] : files) WriteHostFile(work + "/" + name, data);
    // The same stub with 4 KB more behind its image, as a signing tool might leave it.
    sfx::Bytes larger = stub;
    larger.resize(stub.size() + 4096, 0);
    WriteHostFile(work + "/larger.exe", larger);
    std::string pack = std::string(SFXPACK_PATH) + " ";
    std::string in = "'" + work + "/";
    ASSERT_EQ(std::system((pack + "create -o " + in + "first.exe' --stub '" + Win32Dir + "/sfxstub.exe' --setup " + in +
                           "setup.exe' --project " + in + "setup.lst' --support " + in + "a.dll' --support " + in +
                           "readme.txt' >/dev/null").c_str()), 0);
    ASSERT_EQ(std::system((pack + "restub " + in + "first.exe' --stub " + in + "larger.exe' -o '" + DriveC +
                           "/dist/setup.exe' >/dev/null").c_str()), 0);
    ASSERT_EQ(std::system((pack + "verify '" + DriveC + "/dist/setup.exe' >/dev/null").c_str()), 0);

    WineRun run = RunInstaller("setup.exe", "");
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(run.boxes().empty()) << run.trace;
    for (auto& [name, data] : files) EXPECT_EQ(ReadHostFile(DriveC + "/_setup/" + name), data) << name;
    EXPECT_EQ(probeNote(), "c:\\_setup\\setup.exe c:\\_setup\\setup.lst C:\\dist\\setup.exe\n");
}
