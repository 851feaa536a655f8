// The Windows entry point: the tail is cut from the raw command line by the program's own rule.
#include <windows.h>
#include "driver/CommandTail.h"
#include "driver/Installer.h"

static bool IsLeadByte(unsigned char c) { return IsDBCSLeadByte(c) != 0; }

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    return RunInstaller(instance, CommandTail(GetCommandLineA(), IsLeadByte));
}
