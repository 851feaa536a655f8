// The installer's run, one straight sequence: every step shows its own failures and the run goes on.
#include "driver/Installer.h"
#include "archive/Archive.h"
#include "driver/CommandTail.h"
#include "launch/StartProgram.h"
#include "system/FolderGuard.h"
#include "system/Paths.h"
#include "system/Ui.h"

// One part of the set-up program's command line. With words passed on behind the parts, a part
// that holds a blank is quoted, so that the set-up program can tell where the stub's path ends.
static void AppendPart(String& commandLine, const char* part, bool quote) {
    String piece(part);
    for (const char* p = part; quote && *p; ++p) {
        if ((unsigned char)*p > ' ') continue;
        piece = "\"";
        piece += part;
        piece += "\"";
        break;
    }
    commandLine.appendSpaced(piece.text());
}

// Starts the set-up program; unattended, waits for it to end and gives its exit code.
static uint32_t Start(const String& commandLine, bool unattended) {
    FailuresCountAs(ExitNotStarted);
    void* process = nullptr;
    if (!StartProgram(commandLine.text(), unattended ? &process : nullptr) || !process) return 0;
    // The set-up program's clean-up call must be able to remove the folder.
    ReleaseSetupFolder();
    FailuresCountAs(ExitWaitFailed);
    uint32_t exitCode = 0;
    if (!WaitForProcess(process, &exitCode)) ReportUnseen("Cannot wait for ", commandLine.text());
    return exitCode;
}

static uint32_t Extract(Archive& archive, const String& setupName, const String& setupPath,
                        const String& projectName, const String& projectPath, const TailRequest& request,
                        bool unattended) {
    // A folder that others could have changed or redirected gets nothing: its box says why.
    FailuresCountAs(ExitFolderRefused);
    if (!PrepareSetupFolder()) return 0;
    FailuresCountAs(ExitMemberFailed);
    archive.extractMember(setupName.text(), setupPath.text());
    archive.extractMember(projectName.text(), projectPath.text());
    String loopName, loopPath;
    for (int32_t i = 0; i < archive.supportFiles.count; ++i) {
        loopName = archive.supportFiles.get(i);
        loopPath = MemberPath(loopName.text());
        archive.extractMember(loopName.text(), loopPath.text());
    }
    // Three parts: the set-up program, its project file, and this executable; then, after one
    // blank, the words passed on, exactly as they stand.
    bool passing = *request.passedOn != 0;
    String commandLine;
    AppendPart(commandLine, setupPath.text(), passing);
    AppendPart(commandLine, projectPath.text(), passing);
    AppendPart(commandLine, ModulePath(), passing);
    if (passing) {
        commandLine += " ";
        commandLine += request.passedOn;
    }
    return Start(commandLine, unattended);
}

static void CleanUp(Archive& archive, const String& setupPath, const String& projectPath) {
    // Gives the set-up program that started us a moment to let go of its files.
    Pause(1000);
    // Nothing is deleted through a link, nor in a folder that others could have changed.
    FailuresCountAs(ExitFolderRefused);
    if (!SetupFolderCleanable()) {
        ReportUnseen("Cannot clean up folder: ", SetupFolder());
        return;
    }
    EraseFile(setupPath.text());
    EraseFile(projectPath.text());
    for (int32_t i = 0; i < archive.supportFiles.count; ++i)
        EraseFile(MemberPath(archive.supportFiles.get(i)));
    // A folder still held open can't be removed.
    ReleaseSetupFolder();
    RemoveSetupFolder();
}

int RunInstaller(void* module, const char* tail) {
    SetModuleHandle(module);
    TailRequest request = ReadTail(tail);
    // No one may be there to answer a box: a switch says so, or a station without a display.
    bool unattended = request.silent || !DisplayVisible();
    StartReports(unattended);
    uint32_t setupExit = 0;
    PumpMessages();
    if (!request.cleanUp) ShowWaitCursor();
    {
        Archive archive;
        FailuresCountAs(ExitNoArchive);
        if (archive.open(ModulePath())) {
            // MemberPath hands out one shared buffer, so each result is copied at once.
            String setupName(archive.setupProgram);
            String setupPath(MemberPath(setupName.text()));
            String projectName(archive.projectFile);
            String projectPath(MemberPath(projectName.text()));
            if (request.cleanUp)
                CleanUp(archive, setupPath, projectPath);
            else
                setupExit = Extract(archive, setupName, setupPath, projectName, projectPath, request, unattended);
            ReleaseSetupFolder();
        } else if (!FirstFailure()) {
            // A file without an archive's signature shows nothing when someone is there.
            ReportUnseen("Archive not found: ", ModulePath());
        }
        PumpMessages();
    }
    if (!unattended) return 0;
    return setupExit ? (int)setupExit : FirstFailure();
}
