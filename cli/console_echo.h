// The dialogue on the console itself. One implementation per platform:
// console_echo_posix.cpp, console_echo_win.cpp.
#pragma once

// Shows `text` on the console (the controlling terminal) when standard
// output goes somewhere else, a file or a pipe, so that the user never
// waits at a blank screen. Does nothing when standard output is the console
// or there is no console; standard output itself is never written here.
void echo_on_console(const char* text);

// Shows `text` on the console whatever standard output is; nothing when
// there is no console.
void show_on_console(const char* text);
