// The win32 backend of the user interface: boxes, the queue, the cursor, the pause.
#include <windows.h>
#include "system/Ui.h"

void ShowBox(const char* text, const char* caption, BoxStyle style) {
    MessageBoxA(NULL, text, caption, MB_OK | (UINT)style);
}

void PumpMessages() {
    MSG message;
    while (PeekMessageA(&message, NULL, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

void ShowWaitCursor() { SetCursor(LoadCursorA(NULL, IDC_WAIT)); }

void Pause(unsigned milliseconds) { Sleep(milliseconds); }
