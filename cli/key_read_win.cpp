// The confirmation key on Windows: one key press from the console's own
// input device, with line input, echo and Ctrl+C processing turned off.
#include "cli/key_read.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

namespace {
// What the console control handler needs to put the console back.
HANDLE console_input = INVALID_HANDLE_VALUE;
DWORD saved_mode = 0;

// Ctrl+Break, a closed window, log-off or shut-down while waiting: the
// console goes back to its previous mode before the process is ended.
BOOL WINAPI restore_console_mode(DWORD /*event*/)
{
    SetConsoleMode(console_input, saved_mode);
    return FALSE;  // let the default handling end the process
}

// Keys that only modify the next one: holding Shift for a capital Y is
// not an answer.
bool is_modifier(WORD virtual_key)
{
    return virtual_key == VK_SHIFT || virtual_key == VK_CONTROL || virtual_key == VK_MENU ||
           virtual_key == VK_CAPITAL;
}

// Waits for the next key press. -1 when the console cannot be read.
int next_key_press()
{
    for (;;) {
        INPUT_RECORD event;
        DWORD count = 0;
        if (ReadConsoleInputA(console_input, &event, 1, &count) == FALSE || count != 1) {
            return -1;
        }
        if (event.EventType != KEY_EVENT) {
            continue;  // mouse, focus, window size and menu events
        }
        const KEY_EVENT_RECORD& key = event.Event.KeyEvent;
        if (key.bKeyDown == FALSE || is_modifier(key.wVirtualKeyCode)) {
            continue;
        }
        // Arrow and editing keys carry the enhanced flag; some of them
        // also report a character, which does not count.
        if ((key.dwControlKeyState & ENHANCED_KEY) != 0) {
            return 0;
        }
        return static_cast<unsigned char>(key.uChar.AsciiChar);
    }
}
}  // namespace

int read_confirmation_key()
{
    // The console itself, not standard input: a redirected standard input
    // cannot answer the prompt.
    console_input =
        CreateFileA("CONIN$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_EXISTING, 0, nullptr);
    if (console_input == INVALID_HANDLE_VALUE) {
        return -1;
    }
    if (GetConsoleMode(console_input, &saved_mode) == FALSE) {
        CloseHandle(console_input);
        console_input = INVALID_HANDLE_VALUE;
        return -1;
    }

    int key = -1;
    SetConsoleCtrlHandler(restore_console_mode, TRUE);
    const DWORD raw = saved_mode & ~static_cast<DWORD>(ENABLE_LINE_INPUT | ENABLE_ECHO_INPUT |
                                                       ENABLE_PROCESSED_INPUT);
    if (SetConsoleMode(console_input, raw) != FALSE) {
        // Only a key pressed in answer to the prompt counts, not one typed
        // ahead of it.
        FlushConsoleInputBuffer(console_input);
        key = next_key_press();
    }
    SetConsoleMode(console_input, saved_mode);
    SetConsoleCtrlHandler(restore_console_mode, FALSE);
    CloseHandle(console_input);
    console_input = INVALID_HANDLE_VALUE;
    return key;
}
