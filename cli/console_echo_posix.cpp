// The dialogue on the controlling terminal when standard output is not it.
#include "cli/console_echo.h"

#include <cstring>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

void show_on_console(const char* text)
{
    const int tty = open("/dev/tty", O_WRONLY | O_NOCTTY | O_CLOEXEC);
    if (tty < 0) {
        return;  // no terminal: nobody to show it to
    }
    // Shown as well as it can be; standard output carries the record.
    (void)write(tty, text, std::strlen(text));
    close(tty);
}

void echo_on_console(const char* text)
{
    // tcgetsid succeeds only on the process's controlling terminal: then
    // standard output shows the text already.
    if (tcgetsid(STDOUT_FILENO) == -1) {
        show_on_console(text);
    }
}
