// The dialogue on the console window when standard output is not it.
#include "cli/console_echo.h"

#include <cstring>

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

void show_on_console(const char* text)
{
    const HANDLE console =
        CreateFileA("CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_EXISTING, 0, nullptr);
    if (console == INVALID_HANDLE_VALUE) {
        return;  // no console: nobody to show it to
    }
    DWORD written = 0;
    (void)WriteConsoleA(console, text, static_cast<DWORD>(std::strlen(text)), &written, nullptr);
    CloseHandle(console);
}

void echo_on_console(const char* text)
{
    DWORD mode = 0;
    if (GetConsoleMode(GetStdHandle(STD_OUTPUT_HANDLE), &mode) != FALSE) {
        return;  // standard output is the console: it shows the text already
    }
    show_on_console(text);
}
