// Process start and end on Windows. The command line arrives as UTF-16 and
// is converted once, here, into the 8-bit form that the rest of the tool
// works with (trailer/utf16_text.h), so that no name is ever replaced by a
// look-alike of the ANSI code page.
#include <cstdio>

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include "cli/console_echo.h"
#include "cli/driver.h"
#include "cli/exit_status.h"
#include "cli/key_read.h"
#include "cli/messages.h"
#include "trailer/utf16_text.h"

namespace {
// A command line holds at most 32767 UTF-16 units; each becomes at most
// three bytes, and each argument ends in a NUL.
constexpr std::size_t COMMAND_LINE_UNITS = 32768;
char argument_text[4 * COMMAND_LINE_UNITS];
const char* arguments[COMMAND_LINE_UNITS];

// argv as 8-bit text. An argument that does not fit (it cannot, within a
// command line's size) is left out of the count.
int convert_arguments(int argc, const wchar_t* const* wide)
{
    std::size_t used = 0;
    int count = 0;
    for (; count < argc && count < static_cast<int>(COMMAND_LINE_UNITS); ++count) {
        std::size_t length = 0;
        if (!utf16_to_8bit(wide[count], argument_text + used, sizeof argument_text - used,
                           length)) {
            break;
        }
        arguments[count] = argument_text + used;
        used += length + 1;
    }
    return count;
}

// Started by a double-click, a drag-and-drop onto the .exe or a shortcut,
// the tool has a console window of its own, which closes the moment it
// exits: it waits for a key first, so that the outcome can be read. From
// cmd.exe, PowerShell or a script the console is shared and nothing waits.
void keep_own_window_open(bool volume_given)
{
    DWORD processes[2];
    if (GetConsoleProcessList(processes, 2) != 1) {
        return;
    }
    (void)std::fflush(stdout);
    if (!volume_given) {
        show_on_console(DROP_HINT);
    }
    show_on_console(CLOSE_WINDOW_PROMPT);
    (void)read_confirmation_key();
    show_on_console("\n");
}
}  // namespace

int wmain(int argc, wchar_t** argv)
{
    const int count = convert_arguments(argc, argv);
    const int result = run(count, arguments);
    keep_own_window_open(count == 2);
    // Returning from main flushes standard output, so a last message with
    // no line break ("Ok.") is still shown.
    return exit_status_for_system(result);
}
