// The Windows entry point: the start-up code has already cut the tail from the raw command line.
#include <windows.h>
#include "driver/Installer.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR tail, int) { return RunInstaller(instance, tail); }
