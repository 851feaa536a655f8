// An installer runs from its download folder, which may hold a DLL planted there. The stub's first
// act restricts the DLL search to the system folder. One real extraction per stub, with Wine told
// to prefer a native uxtheme.dll (which user32 loads for the stub's LoadCursorA) and a uxtheme.dll
// planted beside the installer, traced with the relay calls and the DLL loads, shows both: the
// restriction comes before any DLL is loaded after the start, and the planted DLL is not loaded.
#include <sstream>
#include "e2e/E2e.h"

namespace {

class DllSearch : public E2e, public ::testing::WithParamInterface<const Stub*> {
    const Stub& stubUnderTest() const override { return *GetParam(); }

protected:
    // Runs c:\dist\setup.exe and gives its exit code and the trace lines of the installer's own
    // thread from its start on (Wine's loader runs it on the thread that maps the executable).
    int runPreferringNativeUxtheme(std::vector<std::string>& lines) {
        WineRun result = RunUnderWine(stub, "c:\\dist\\setup.exe", "", true, 120,
                                      "WINEDEBUG=+relay,+loaddll "
                                      "WINEDLLOVERRIDES='uxtheme=n,b;mscoree,mshtml=;winemenubuilder.exe=d'");
        std::istringstream in(result.trace);
        std::string line, thread;
        bool started = false;
        while (std::getline(in, line)) {
            if (thread.empty() && line.find("\\\\dist\\\\setup.exe\" at ") != std::string::npos)
                thread = line.substr(0, line.find(':') + 1);
            if (thread.empty() || line.compare(0, thread.size(), thread) != 0) continue;
            started = started || line.find("Starting thread proc") != std::string::npos;
            if (started) lines.push_back(line);
        }
        return result.exitCode;
    }
};

TEST_P(DllSearch, IsRestrictedFirstAndAPlantedDllIsNotLoaded) {
    WriteHostFile(DriveC() + "/dist/uxtheme.dll", ReadHostFile(BuildDir + ("/" + stub.name) + "/planted/uxtheme.dll"));
    WriteHostFile(DriveC() + "/dist/setup.exe", build(files));
    std::vector<std::string> lines;
    EXPECT_EQ(runPreferringNativeUxtheme(lines), 0);
    ASSERT_FALSE(lines.empty()) << "no trace of the installer's start";

    // The first call or DLL load after the start is the restriction.
    std::string first;
    for (const std::string& line : lines)
        if (line.find(":Call ") != std::string::npos || line.find("Loaded L\"") != std::string::npos) {
            first = line;
            break;
        }
    EXPECT_NE(first.find("Call KERNEL32.SetDefaultDllDirectories(00000800)"), std::string::npos) << first;

    // user32 loaded uxtheme.dll all the same, the system's copy; the planted one never ran.
    std::string loads;
    for (const std::string& line : lines)
        if (line.find("uxtheme.dll\" at ") != std::string::npos) loads += line + "\n";
    EXPECT_NE(loads.find("\\\\windows\\\\system32\\\\uxtheme.dll\" at "), std::string::npos) << loads;
    EXPECT_EQ(loads.find("\\\\dist\\\\uxtheme.dll"), std::string::npos) << loads;
    EXPECT_FALSE(HostExists(DriveC() + "/dist/planted.txt"));

    // What the user sees is the same: the set-up program started as ever.
    EXPECT_EQ(probeNote(), InstallerLine + "\n");
}

INSTANTIATE_TEST_SUITE_P(Stub, DllSearch, ::testing::Values(&Win64Stub(), &Win32Stub()),
                         [](const auto& info) { return info.param->name; });

}  // namespace
