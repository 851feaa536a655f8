// Test support: sample data, stand-in stubs, and the tool run as a child process.
#include "PackTestSupport.h"
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <sys/wait.h>
#include <zlib.h>
#include "write/Pack.h"

namespace fs = std::filesystem;

// at() first: a test that writes past its bytes fails rather than scribbles.
void Put32(sfx::Bytes& bytes, size_t at, int32_t value) { WriteLittle32(&bytes.at(at + 3) - 3, value); }

int32_t Get32(const sfx::Bytes& bytes, size_t at) { return ReadLittle32(&bytes.at(at + 3) - 3); }

sfx::Bytes PeStub(size_t size) {
    sfx::Bytes stub(size);
    for (size_t i = 0; i < size; ++i) stub[i] = (uint8_t)(i * 13 + 5);
    stub[0] = 'M', stub[1] = 'Z';
    Put32(stub, 0x3C, 0x40);
    const uint8_t pe[] = {'P', 'E', 0, 0, 0x4C, 0x01, 0x01, 0x00};  // i386, one section
    std::copy(std::begin(pe), std::end(pe), stub.begin() + 0x40);
    stub[0x40 + 20] = 0xE0, stub[0x40 + 21] = 0;  // size of the optional header
    stub[0x58] = 0x0B, stub[0x59] = 0x01;         // PE32
    stub[0x58 + 68] = 2, stub[0x58 + 69] = 0;     // the Windows GUI subsystem
    Put32(stub, 0x58 + 96 + 36, 0);               // no certificate table
    size_t section = 0x58 + 0xE0;
    Put32(stub, section + 16, (int32_t)(size - 0x200));
    Put32(stub, section + 20, 0x200);
    return stub;
}

sfx::Bytes SampleInstaller(bool keepCheck) {
    sfx::PackInputs inputs;
    inputs.stub = PeStub(0x400);
    inputs.setupProgram = {"SETUP.EXE", TextLike(5000, 1)};
    inputs.projectFile = {"setup.lst", ToBytes("[files]\r\nreadme.txt\r\n")};
    inputs.supportFiles = {{"readme.txt", TextLike(900, 2)}, {"noise.bin", Noise(700)}};
    sfx::PackOptions options;
    options.keepCheck = keepCheck;
    return sfx::Pack(inputs, options);
}

sfx::Bytes Joined(sfx::Bytes a, const sfx::Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

sfx::Bytes InflateAsTheStub(const sfx::Bytes& stored) {
    if (stored.size() < 4) return {};
    sfx::Bytes out((size_t)Get32(stored, 0));
    z_stream z{};
    z.next_in = const_cast<Bytef*>(stored.data() + 4);
    z.avail_in = (uInt)(stored.size() - 4);
    z.next_out = out.data();
    z.avail_out = (uInt)out.size();
    inflateInit(&z);
    int result = inflate(&z, Z_NO_FLUSH);
    inflateEnd(&z);
    return InflateAccepted(result, z.avail_out, z.avail_in) ? out : sfx::Bytes();
}

sfx::Bytes Assemble(const sfx::Bytes& head, const sfx::Bytes& directory) {
    sfx::Bytes out = head;
    out.insert(out.end(), directory.begin(), directory.end());
    sfx::Bytes trailer = sfx::Trailer((int32_t)head.size());
    out.insert(out.end(), trailer.begin(), trailer.end());
    return out;
}

void ToolRun::SetUp() {
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    // A parameterised test's names hold slashes ("Brand/BadBranding"), which would make folders
    // above the one removed at tear-down.
    std::string name = "sfxpack-" + std::string(info->test_suite_name()) + "-" + info->name() + "-" +
                       std::to_string(std::random_device()());
    std::replace(name.begin(), name.end(), '/', '-');
    folder = (fs::temp_directory_path() / name).string();
    fs::create_directories(folder);
}

void ToolRun::TearDown() {
    std::error_code error;
    fs::permissions(folder, fs::perms::owner_all, fs::perm_options::add, error);
    fs::remove_all(folder, error);
}

void ToolRun::write(const std::string& name, const sfx::Bytes& bytes) const {
    fs::create_directories(fs::path(path(name)).parent_path());
    std::ofstream file(path(name), std::ios::binary);
    file.write((const char*)bytes.data(), (std::streamsize)bytes.size());
    ASSERT_TRUE(file.good()) << name;
}

sfx::Bytes ToolRun::read(const std::string& name) const {
    std::ifstream file(path(name), std::ios::binary);
    return sfx::Bytes(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

bool ToolRun::exists(const std::string& name) const { return fs::exists(fs::symlink_status(path(name))); }

static std::string Quote(const std::string& word) {
    std::string quoted = "'";
    for (char c : word) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

static std::string Slurp(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string BomProblems(const std::vector<std::string>& paths) {
    std::string command = "/usr/bin/python3 " + Quote(std::string(SourceDir) + "/tests/tools/check-bom.py") +
                          " \"$(bash " + Quote(std::string(SourceDir) + "/scripts/fetch-bom-schema.sh") + ")\"";
    for (const std::string& path : paths) command += " " + Quote(path);
    std::string found;
    FILE* out = popen((command + " 2>&1").c_str(), "r");
    if (!out) return "can't run check-bom.py";
    char buffer[4096];
    while (size_t got = fread(buffer, 1, sizeof buffer, out)) found.append(buffer, got);
    int status = pclose(out);
    if (status != 0 && found.empty()) found = "check-bom.py failed";
    return status == 0 ? "" : found;
}

int ToolRun::run(const std::vector<std::string>& arguments, const std::string& input) {
    std::string command = "cd " + Quote(folder) + " && " + limits;
    for (const std::string& word : tool) command += " " + Quote(word);
    for (const std::string& argument : arguments) command += " " + Quote(argument);
    if (!input.empty()) command += " <" + Quote(input);
    std::string outFile = folder + "/.stdout", errFile = folder + "/.stderr";
    command += " >" + Quote(outFile) + " 2>" + Quote(errFile);
    int status = std::system(command.c_str());
    out = Slurp(outFile);
    err = Slurp(errFile);
    fs::remove(outFile);
    fs::remove(errFile);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}
