// Finding the default stub.
#include "cli/Stubs.h"
#include "host/HostPath.h"
#include <filesystem>
#include "cli/Args.h"
#include "core/Names.h"
#include "host/System.h"

namespace sfx {

namespace fs = std::filesystem;

const char* StubFileName(StubKind kind) { return kind == StubKind::Win64 ? "sfxstub64.exe" : "sfxstub.exe"; }

std::vector<std::string> StubPlaces(StubKind kind) {
    // preset is read only in builds that name their stub folders (SFX_BUNDLED_STUBS, SFX_PRESET_BUILDS).
    // cppcheck-suppress unreadVariable
    std::string name = StubFileName(kind), preset = kind == StubKind::Win64 ? "win64" : "win32";
    std::vector<fs::path> places;
    std::string folder = ProgramFolder();
    if (!folder.empty()) {
        places.push_back(HostPath(folder) / ".." / "share" / "sfx" / name);
#ifdef _WIN32
        // On Windows the tool and its stubs usually ship as one folder.
        places.push_back(HostPath(folder) / name);
#endif
    }
#ifdef SFX_BUNDLED_STUBS
    places.push_back(fs::path(SFX_BUNDLED_STUBS) / preset / name);
#endif
#ifdef SFX_PRESET_BUILDS
    places.push_back(fs::path(SFX_PRESET_BUILDS) / preset / name);
#endif
    std::vector<std::string> paths;
    for (const fs::path& place : places) paths.push_back(HostString(place.lexically_normal()));
    return paths;
}

std::string FindStub(StubKind kind) {
    for (const std::string& place : StubPlaces(kind)) {
        std::error_code error;
        if (fs::is_regular_file(HostPath(place), error)) return place;
    }
    return "";
}

std::string ChooseStub(const std::string& command, const std::string& given, bool wide) {
    if (!given.empty() && wide) throw Usage(command, "--stub and --stub64 are two choices of stub; give one");
    if (!given.empty()) return given;
    StubKind kind = wide ? StubKind::Win64 : StubKind::Win32;
    std::string found = FindStub(kind);
    if (!found.empty()) return found;
    std::string text = std::string("no ") + StubFileName(kind) + " found; looked at:";
    for (const std::string& place : StubPlaces(kind)) text += "\n  " + Printable(place);
    throw Usage(command, text + "\nName one with --stub STUB");
}

bool StubOptions::read(Args& args, const std::string& option) {
    if (option == "--stub") {
        given = args.value();
    } else if (option == "--stub64") {
        args.flag();
        wide = true;
    } else if (option == "-q" || option == "--quiet") {
        args.flag();
        quiet = true;
    } else {
        return false;
    }
    return true;
}

}  // namespace sfx
