// Test support: temporary drive roots, the box recorder, and deterministic payloads.
#include "support/HostRun.h"
#include <dirent.h>
#include <libdeflate.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cstdlib>
#include <fstream>
#include "archive/Archive.h"
#include "system/Files.h"
#include "system/Messages.h"
#include "system/posix/HostControl.h"

std::ostream& operator<<(std::ostream& out, const Box& box) {
    return out << box.caption << " [" << box.style << "]: " << box.text;
}

Box MessageBox(const std::string& text) { return Box{"Message", text, 0x40}; }
Box ErrorBox(const std::string& text) { return Box{"Error", text, 0x10}; }

sfx::Bytes FakeStub(size_t size) {
    sfx::Bytes stub(size);
    for (size_t i = 0; i < size; ++i) stub[i] = (uint8_t)(i * 7 + 3);
    if (size >= 2) stub[0] = 'M', stub[1] = 'Z';
    return stub;
}

sfx::Bytes LibdeflateMember(const sfx::Bytes& data, int level) {
    libdeflate_compressor* compressor = libdeflate_alloc_compressor(level);
    size_t bound = libdeflate_zlib_compress_bound(compressor, data.size());
    sfx::Bytes out(4 + bound);
    size_t n = libdeflate_zlib_compress(compressor, data.data(), data.size(), out.data() + 4, bound);
    libdeflate_free_compressor(compressor);
    WriteLittle32(out.data(), (int32_t)data.size());
    out.resize(4 + n);
    return out;
}

NamedFiles SampleFiles() {
    return {{"setup.exe", ToBytes("the set-up program")},
            {"setup.lst", TextLike(5000)},
            {"a.dll", Noise(3000)},
            {"b.txt", TextLike(20000, 3)}};
}

sfx::Bytes PackFiles(const NamedFiles& files, const sfx::Bytes& stub) {
    sfx::Directory dir{files.at(0).first, files.at(1).first, {}, {}, ""};
    std::vector<sfx::Member> members;
    for (size_t i = 0; i < files.size(); ++i) {
        if (i >= 2) dir.supportFiles.push_back(files[i].first);
        if (i >= 1) dir.extraNames.push_back(files[i].first);
        const sfx::Bytes& data = files[i].second;
        sfx::Bytes deflated = sfx::DeflateMember(data);
        if (deflated.size() < data.size())
            members.push_back({files[i].first, deflated, sfx::Deflated});
        else
            members.push_back({files[i].first, data, sfx::Stored});
    }
    return sfx::BuildInstaller(stub, dir, members);
}

void HostRun::SetUp() {
    char pattern[] = "/tmp/sfxtest.XXXXXX";
    root = mkdtemp(pattern);
    mkdir((root + "/c").c_str(), 0755);
    HostSetDriveRoot(root);
    HostResetFaults();
    HostEvents().clear();
    HostSetLauncher(nullptr);
    HostSetModulePath("c:\\dist\\setup.exe");
    MessageText = "";
    boxes.clear();
    openAtStart = HostOpenFiles();
    HostSetBoxSink([this](const std::string& caption, const std::string& text, unsigned style) {
        boxes.push_back(Box{caption, text, style});
    });
}

void HostRun::TearDown() {
    for (FileHandle file : opened) CloseFile(file);
    EXPECT_EQ(HostOpenFiles(), openAtStart) << "a file opened through the backend was left open";
    HostSetBoxSink(nullptr);
    HostResetFaults();
    HostSetLauncher(nullptr);
    // Read-only files are made in some tests; rm -rf copes with them.
    std::string command = "chmod -R u+w '" + root + "' && rm -rf '" + root + "'";
    if (std::system(command.c_str()) != 0) ADD_FAILURE() << "could not remove " << root;
}

std::string HostRun::hostPath(const std::string& windowsPath) const { return HostMapPath(windowsPath.c_str()); }

void HostRun::writeFile(const std::string& windowsPath, const sfx::Bytes& bytes) const {
    std::string path = hostPath(windowsPath);
    // Make the folders on the way.
    for (size_t slash = path.find('/', root.size() + 1); slash != std::string::npos; slash = path.find('/', slash + 1))
        mkdir(path.substr(0, slash).c_str(), 0755);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write((const char*)bytes.data(), (std::streamsize)bytes.size());
}

sfx::Bytes HostRun::readFile(const std::string& windowsPath) const {
    std::ifstream in(hostPath(windowsPath), std::ios::binary);
    return sfx::Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool HostRun::exists(const std::string& windowsPath) const {
    struct stat info;
    return stat(hostPath(windowsPath).c_str(), &info) == 0;
}

std::vector<std::string> HostRun::folderEntries(const std::string& windowsPath) const {
    std::vector<std::string> names;
    DIR* dir = opendir(hostPath(windowsPath).c_str());
    if (!dir) return names;
    while (dirent* entry = readdir(dir))
        if (std::string(entry->d_name) != "." && std::string(entry->d_name) != "..") names.push_back(entry->d_name);
    closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
}

std::string HostRun::installer(const sfx::Bytes& bytes) {
    std::string path = "c:\\dist\\setup.exe";
    writeFile(path, bytes);
    HostSetModulePath(path);
    return path;
}

std::optional<sfx::Bytes> HostRun::unpack(Archive& archive, const char* name) {
    const char* path = "c:\\unpacked.bin";
    ::unlink(hostPath(path).c_str());
    int written = archive.extractMember(name, path);
    EXPECT_EQ(written == 1, exists(path)) << name;
    if (!exists(path)) return std::nullopt;
    return readFile(path);
}

FileHandle HostRun::openBytes(const sfx::Bytes& bytes) {
    std::string path = "c:\\bytes" + std::to_string(opened.size()) + ".bin";
    writeFile(path, bytes);
    FileHandle file = OpenInputFile(path.c_str());
    EXPECT_NE(file, InvalidFile());
    opened.push_back(file);
    return file;
}
