/* The example's set-up program: a stand-in that notes the command line it was started with in
   setup.log beside itself, where a real one would install from the files unpacked with it. */
#include <windows.h>
#include <stdio.h>
#include <string.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR tail, int show) {
    char log[MAX_PATH + 16], part[MAX_PATH + 16];
    DWORD length = GetModuleFileNameA(NULL, log, MAX_PATH);
    char* slash = length > 0 && length < MAX_PATH ? strrchr(log, '\\') : NULL;
    FILE* file;
    (void)instance, (void)previous, (void)tail, (void)show;
    if (!slash) return 1;
    strcpy(slash + 1, "setup.log");
    strcpy(part, log);
    strcat(part, ".part");
    /* Written whole, then renamed: whoever waits for the log sees all of it or none. */
    file = fopen(part, "w");
    if (!file) return 1;
    fprintf(file, "%s\n", GetCommandLineA());
    if (fclose(file) != 0) return 1;
    return MoveFileExA(part, log, MOVEFILE_REPLACE_EXISTING) ? 0 : 1;
}
