// Runs the real binary the way a user does: in a terminal of its own (a
// pseudo-terminal made with forkpty), or with no terminal at all.
#pragma once

#include <string>
#include <sys/types.h>
#include <termios.h>
#include <vector>

struct TerminalRun {
    pid_t pid = -1;
    int master = -1;
    int slave = -1;    // the test's own hold on the program's terminal
    std::string seen;  // everything shown on the terminal, CR LF read as LF
    int wait_status = -1;
    struct termios mode_before {};  // as the program found it
    struct termios mode_after {};   // as it left it
};

// Where a program's standard input and output go instead of their usual
// place (the terminal, or /dev/null and a pipe for a detached run).
struct Redirects {
    const char* stdin_path = nullptr;   // read from this file
    const char* stdout_path = nullptr;  // written to this file, truncated
    int stdout_fd = -1;                 // this descriptor of the test's
    bool close_stdout = false;          // no standard output at all
};

// Starts `argv` in a new pseudo-terminal, which becomes its controlling
// terminal and its standard input, output and error, unless redirected.
// The terminal's mode is recorded before the program starts.
void start_in_terminal(TerminalRun& run, const std::vector<std::string>& argv,
                       const Redirects& redirects = {});

// Reads the terminal until `text` has been shown; false after `timeout_ms`.
bool wait_for(TerminalRun& run, const std::string& text, int timeout_ms = 10000);

// Waits until the program has put its terminal in raw mode to read a key:
// a key typed before that is dropped as typed ahead.
bool wait_for_key_read(const TerminalRun& run, int timeout_ms = 10000);

// Types bytes at the terminal's keyboard.
void type_keys(TerminalRun& run, const std::string& keys);

// True while the program has not ended.
bool still_running(TerminalRun& run);

// Reads until the program ends and reaps it; false after `timeout_ms`, when
// the program is killed.
bool wait_for_exit(TerminalRun& run, int timeout_ms = 10000);

// The terminal's mode now.
struct termios terminal_mode(const TerminalRun& run);

bool same_mode(const struct termios& a, const struct termios& b);

struct DetachedRun {
    std::string out;
    std::string err;
    int wait_status = -1;
};

// Runs `argv` in a new session with no controlling terminal, standard output
// and error each to a pipe, and standard input from /dev/null, unless
// redirected.
DetachedRun run_detached(const std::vector<std::string>& argv, const Redirects& redirects = {});

// The exit status of a program that ended, or -1000 - the signal that
// ended it.
int exit_code(int wait_status);

// What the program showed after its banner; "<no banner>" without one.
std::string after_banner(const std::string& shown);
