// The path in the open-failure line on Windows. The argument is 8-bit text
// converted from the UTF-16 command line (trailer/utf16_text.h): a console
// shows it through the wide API, whatever its code page; a file or a pipe
// gets it as UTF-8.
#include "cli/path_text.h"

#include <cstdio>

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include "trailer/utf16_text.h"

namespace {
wchar_t wide_path[32768];
}

void print_path(const char* path)
{
    const HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
    DWORD mode = 0;
    std::size_t length = 0;
    if (GetConsoleMode(output, &mode) != FALSE &&
        utf8_to_utf16(path, wide_path, sizeof wide_path / sizeof wide_path[0], length)) {
        (void)std::fflush(stdout);  // what stdio holds comes first
        DWORD written = 0;
        if (WriteConsoleW(output, wide_path, static_cast<DWORD>(length), &written, nullptr) !=
            FALSE) {
            return;
        }
    }
    (void)std::fputs(path, stdout);
}

// Characters as the user sees them: a name of two Cyrillic letters is 2,
// not the 4 bytes of its UTF-8.
std::size_t path_length(const char* path)
{
    return code_points(path);
}
