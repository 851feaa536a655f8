// The installer's run, one straight sequence: every step shows its own failures and the run goes on.
#include "driver/Installer.h"
#include "archive/Archive.h"
#include "driver/CommandTail.h"
#include "launch/StartProgram.h"
#include "system/FolderGuard.h"
#include "system/Paths.h"
#include "system/Ui.h"

static void Extract(Archive& archive, const String& setupName, const String& setupPath,
                    const String& projectName, const String& projectPath) {
    // A folder that others could have changed or redirected gets nothing: its box says why.
    if (!PrepareSetupFolder()) return;
    archive.extractMember(setupName.text(), setupPath.text());
    archive.extractMember(projectName.text(), projectPath.text());
    String loopName, loopPath;
    for (int32_t i = 0; i < archive.supportFiles.count; ++i) {
        loopName = archive.supportFiles.get(i);
        loopPath = MemberPath(loopName.text());
        archive.extractMember(loopName.text(), loopPath.text());
    }
    // Three unquoted parts: the set-up program, its project file, and this executable.
    String commandLine(setupPath);
    commandLine.appendSpaced(projectPath.text());
    commandLine.appendSpaced(ModulePath());
    StartProgram(commandLine.text());
}

static void CleanUp(Archive& archive, const String& setupPath, const String& projectPath) {
    // Gives the set-up program that started us a moment to let go of its files.
    Pause(1000);
    // Nothing is deleted through a link, nor in a folder that others could have changed.
    if (!SetupFolderCleanable()) return;
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
    bool cleanUp = IsCleanUpMode(tail);
    PumpMessages();
    if (!cleanUp) ShowWaitCursor();
    {
        Archive archive;
        if (archive.open(ModulePath())) {
            // MemberPath hands out one shared buffer, so each result is copied at once.
            String setupName(archive.setupProgram);
            String setupPath(MemberPath(setupName.text()));
            String projectName(archive.projectFile);
            String projectPath(MemberPath(projectName.text()));
            if (cleanUp)
                CleanUp(archive, setupPath, projectPath);
            else
                Extract(archive, setupName, setupPath, projectName, projectPath);
            ReleaseSetupFolder();
        }
        PumpMessages();
    }
    return 0;
}
