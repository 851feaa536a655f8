// Unattended runs of the real stubs, started as a deployment tool starts them: by the switch, or
// on a window station without a display, no box; each failure's text on standard error and in the
// event log; the set-up program waited for and its exit code passed on; and words behind "--"
// passed to the set-up program with the parts that hold a blank quoted.
#include "e2e/E2e.h"

namespace {

enum class Arrange { Nothing, BlockedDll, NoArchive };
struct UnattendedCase {
    const char* name;
    const Stub* stub;
    const char* folder;  // where on C: the installer lies
    const char* tail;    // the stub's, behind its path
    bool hidden;         // started on a station without a display
    Arrange arrange;
    const char* probeEnd;  // "MS CODE": the set-up program works that long and ends with that code
    std::string launched;  // what the stand-in deployment tool notes
    std::string reported;  // the failure text on standard error and in the event log
    std::string note;      // the set-up program's command line; empty when it must not run
};
const std::string BlockedText = "Cannot create file: c:\\_setup\\a.dll";
const UnattendedCase Rows[] = {
    {"WaitsForTheExitCode", &Win64Stub(), "dist", "/S", false, Arrange::Nothing, "500 7", "exit 7", "", InstallerLine},
    {"FailuresAreReported", &Win64Stub(), "dist", "/s", false, Arrange::BlockedDll, "0 0", "exit 9603", BlockedText, InstallerLine},
    {"NoArchive", &Win64Stub(), "dist", "/S", false, Arrange::NoArchive, "0 0", "exit 9601",
     "Archive not found: C:\\dist\\setup.exe", ""},
    {"SetupExitCodeFirst", &Win64Stub(), "dist", "/S", false, Arrange::BlockedDll, "0 3010", "exit 3010", BlockedText, InstallerLine},
    {"HiddenStation", &Win64Stub(), "dist", "", true, Arrange::BlockedDll, "500 0", "exit 9603", BlockedText, InstallerLine},
    {"WordsPassedOn", &Win64Stub(), "q dist", "/S -- /silent  /log=c:\\logs\\q.txt", false, Arrange::Nothing, "0 0",
     "exit 0", "", "c:\\_setup\\setup.exe c:\\_setup\\setup.lst \"C:\\q dist\\setup.exe\" /silent  /log=c:\\logs\\q.txt"},
    {"win32WaitsForTheExitCode", &Win32Stub(), "dist", "/S", false, Arrange::Nothing, "500 1641", "exit 1641", "", InstallerLine},
    {"win32HiddenStation", &Win32Stub(), "dist", "", true, Arrange::BlockedDll, "0 0", "exit 9603", BlockedText, InstallerLine},
};

class Unattended : public E2e, public ::testing::WithParamInterface<UnattendedCase> {
protected:
    const Stub& stubUnderTest() const override { return *GetParam().stub; }
};

TEST_P(Unattended, ShowsNoBoxAndEndsWithTheRightCode) {
    const UnattendedCase& row = GetParam();
    if (row.arrange == Arrange::BlockedDll) {
        mkdir((DriveC() + "/_setup").c_str(), 0755);
        mkdir(setup("a.dll").c_str(), 0755);
    }
    std::string folder = row.folder;
    WriteHostFile(DriveC() + "/" + folder + "/setup.exe", row.arrange == Arrange::NoArchive ? stubBytes : build(files));
    WriteHostFile(DriveC() + "/probe-exit.txt", ToBytes(row.probeEnd));
    WriteHostFile(DriveC() + "/launch.txt", ToBytes("\"C:\\" + folder + "\\setup.exe\" " + row.tail));
    std::string launcher = stub.probe.substr(0, stub.probe.rfind('/')) + "/launchprobe.exe";
    WriteHostFile(DriveC() + "/dist/launchprobe.exe", ReadHostFile(launcher));
    // A box on the hidden station would never be answered: the launcher's own wait ends that run.
    int seconds = (row.hidden ? 30 : 120) * (Wine32Emulated() && stub.name == Win32Stub().name ? 5 : 1);
    WineRun result = RunUnderWine(stub, "c:\\dist\\launchprobe.exe", std::to_string(seconds) + (row.hidden ? " /hidden" : ""),
                                  true, seconds + 60);

    EXPECT_EQ(ToText(ReadHostFile(DriveC() + "/launched.txt")), row.launched) << result.trace;
    EXPECT_TRUE(result.boxes().empty()) << result.trace;
    bool onStandardError = result.trace.find("\n" + row.reported + "\r\n") != std::string::npos;
    // Wine writes what reaches the event log as an escaped wide string.
    std::string escaped;
    for (char c : row.reported) escaped += c == '\\' ? "\\\\" : std::string(1, c);
    bool inTheEventLog = result.trace.find("err:eventlog:ReportEventW L\"" + escaped + "\"") != std::string::npos;
    EXPECT_EQ(onStandardError, !row.reported.empty()) << result.trace;
    EXPECT_EQ(inTheEventLog, !row.reported.empty()) << result.trace;
    // The stub waited when it was told to: the set-up program's note is there as it ends.
    EXPECT_EQ(ToText(ReadHostFile(DriveC() + "/probe.txt")), row.note.empty() ? "" : row.note + "\n");
}

INSTANTIATE_TEST_SUITE_P(Wide, Unattended, ::testing::ValuesIn(Rows),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
