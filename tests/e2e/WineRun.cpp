// Running the real stubs under Wine and reading back what they did from the relay trace.
#include "e2e/WineRun.h"
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#include <strings.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdlib>
#include <thread>
#include <cstdio>
#include <fstream>

const Stub& Win64Stub() {
    static const Stub stub{"win64", BuildDir + std::string("/win64/sfxstub64.exe"),
                           BuildDir + std::string("/win64/setupprobe.exe"),
                           "/usr/lib/wine/wine64"};
    return stub;
}

const Stub& Win32Stub() {
    // SFX_WINE32_QEMU=1 runs the 32-bit loader under qemu even where the kernel runs i386
    // programs itself, so that any machine can measure what one without i386 support pays.
    static const Stub stub{"win32", BuildDir + std::string("/win32/sfxstub.exe"),
                           BuildDir + std::string("/win32/setupprobe.exe"),
                           Wine32Emulated()
                               ? "bash " + std::string(SourceDir) + "/scripts/emulate-i386.sh /usr/lib/wine/wine"
                               : "/usr/lib/wine/wine"};
    return stub;
}

bool Wine32Emulated() {
    const char* setting = std::getenv("SFX_WINE32_QEMU");
    return setting && std::string(setting) == "1";
}

// The PE32 runs have a prefix of their own, so that their slower loader runs beside the others.
static bool pe32Lane = false;

void UseWinePrefixOf(const Stub& stub) { pe32Lane = stub.name == Win32Stub().name; }

static std::string MadePrefix(const char* option) {
    // The script makes a prefix once per machine, under its own lock, and prints where it is.
    std::string path;
    if (FILE* out = popen(("bash " + std::string(SourceDir) + "/scripts/wine-prefix.sh " + option).c_str(), "r")) {
        char line[4096];
        while (fgets(line, sizeof line, out)) path = line;
        pclose(out);
    }
    while (!path.empty() && path.back() == '\n') path.pop_back();
    return path;
}

const std::string& WinePrefix() {
    if (pe32Lane) {
        static const std::string pe32 = MadePrefix("--pe32");
        return pe32;
    }
    static const std::string shared = MadePrefix("");
    return shared;
}

std::string DriveC() { return WinePrefix() + "/drive_c"; }

// A process is the tests' own when it runs in this prefix and its program lies on drive C:
// outside c:\windows, where Wine's own services live.
static bool OwnProgramRunning(const std::string& pid) {
    std::string environ = ToText(ReadHostFile("/proc/" + pid + "/environ"));
    if (environ.find("WINEPREFIX=" + WinePrefix() + '\0') == std::string::npos) return false;
    std::string line = ToText(ReadHostFile("/proc/" + pid + "/cmdline"));
    for (size_t at = 0; at < line.size(); at = line.find('\0', at) + 1) {
        if (at + 3 <= line.size() && strncasecmp(&line[at], "c:\\", 3) == 0)
            return strncasecmp(&line[at], "c:\\windows\\", 11) != 0;
        if (line.find('\0', at) == std::string::npos) break;
    }
    return false;
}

bool AwaitOwnProgramsGone(int timeoutSeconds) {
    for (int waited = 0;; waited += 50) {
        bool running = false;
        if (DIR* proc = opendir("/proc")) {
            while (dirent* entry = readdir(proc))
                if (std::isdigit((unsigned char)entry->d_name[0]) && OwnProgramRunning(entry->d_name)) running = true;
            closedir(proc);
        }
        if (!running) return true;
        if (waited >= timeoutSeconds * 1000) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

int LockWinePrefix() {
    int lock = open((WinePrefix() + "/.lock").c_str(), O_CREAT | O_RDWR | O_CLOEXEC, 0644);
    if (lock >= 0 && flock(lock, LOCK_EX) != 0) {
        close(lock);
        return -1;
    }
    return lock;
}

// The umask of the server that serves the prefix, as /proc tells it; empty when none runs.
static std::string ServerUmask() {
    std::string found;
    if (DIR* proc = opendir("/proc")) {
        while (dirent* entry = readdir(proc)) {
            std::string pid = entry->d_name;
            // Debian's wineserver is a script that starts wineserver64 (or wineserver32).
            if (!std::isdigit((unsigned char)pid[0]) || ToText(ReadHostFile("/proc/" + pid + "/comm")).rfind("wineserver", 0) != 0)
                continue;
            if (ToText(ReadHostFile("/proc/" + pid + "/environ")).find("WINEPREFIX=" + WinePrefix() + '\0') == std::string::npos)
                continue;
            std::string status = ToText(ReadHostFile("/proc/" + pid + "/status"));
            size_t at = status.find("Umask:\t");
            if (at != std::string::npos) found = status.substr(at + 7, 4);
        }
        closedir(proc);
    }
    return found;
}

void ServeWithOpenUmask() {
    if (ServerUmask() == "0000") return;
    std::string prefix = "WINEPREFIX='" + WinePrefix() + "' ";
    std::system((prefix + "wineserver -k 2>/dev/null; " + prefix + "wineserver -w; umask 000 && " + prefix +
                 "wineserver -p").c_str());
}

// Wine prints string arguments as  0040a000 "text"  with C-like escapes.
static std::vector<std::string> ParseArgs(const std::string& list) {
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

std::vector<Call> WineRun::named(const std::string& name) const {
    std::vector<Call> out;
    for (const Call& call : calls)
        if (strcasecmp(call.name.c_str(), name.c_str()) == 0) out.push_back(call);
    return out;
}

std::vector<Box> WineRun::boxes() const {
    std::vector<Box> out;
    for (const Call& call : named("user32.MessageBoxA"))
        out.push_back(Box{call.args.at(2), call.args.at(1), (unsigned)std::stoul(call.args.at(3), nullptr, 16)});
    return out;
}

std::vector<std::string> WineRun::started() const {
    std::vector<std::string> out;
    for (const Call& call : named("kernel32.CreateProcessA")) out.push_back(call.args.at(1));
    return out;
}

WineRun RunUnderWine(const Stub& stub, const std::string& windowsPath, const std::string& tail, bool traced,
                     int timeoutSeconds, const std::string& environment) {
    std::string trace = WinePrefix() + "/trace.txt";
    // setarch -R: with the kernel's address randomisation, one start in some two thousand had
    // something mapped where Wine's loader puts the shared user data ("failed to map the shared
    // user data"), and the loader, or a set-up program it started, ended at once.
    // Under qemu every 32-bit start costs seconds, and more on a loaded machine: a run killed half
    // way leaves its set-up program stuck, so the time-out there only catches real hangs.
    if (Wine32Emulated() && stub.name == Win32Stub().name) timeoutSeconds *= 5;
    std::string command = "cd '" + DriveC() + "' && . '" + SourceDir + "/scripts/wine-env.sh' && WINEPREFIX='" +
                          WinePrefix() + "' WINEDEBUG=" + (traced ? "+relay " : "-all ") + environment + " setarch -R timeout -k 10 " +
                          std::to_string(timeoutSeconds) + " " + stub.loader + " '" + windowsPath + "' " + tail +
                          " 2>'" + trace + "' >/dev/null";
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
        if (traced) run.trace += line + "\n";
    }
    return run;
}

sfx::Bytes ReadHostFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return sfx::Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteHostFile(const std::string& path, const sfx::Bytes& bytes) {
    for (size_t slash = path.find('/', 1); slash != std::string::npos; slash = path.find('/', slash + 1))
        mkdir(path.substr(0, slash).c_str(), 0755);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write((const char*)bytes.data(), (std::streamsize)bytes.size());
}

bool HostExists(const std::string& path) {
    struct stat info;
    return lstat(path.c_str(), &info) == 0;
}

static void CollectFiles(const std::string& folder, const std::string& prefix, std::vector<std::string>& out) {
    DIR* dir = opendir(folder.c_str());
    if (!dir) return;
    while (dirent* entry = readdir(dir)) {
        std::string name = entry->d_name;
        if (name == "." || name == "..") continue;
        struct stat info;
        if (lstat((folder + "/" + name).c_str(), &info) == 0 && S_ISDIR(info.st_mode))
            CollectFiles(folder + "/" + name, prefix + name + "/", out);
        else
            out.push_back(prefix + name);
    }
    closedir(dir);
}

std::vector<std::string> FilesUnder(const std::string& folder) {
    std::vector<std::string> out;
    CollectFiles(folder, "", out);
    std::sort(out.begin(), out.end());
    return out;
}
