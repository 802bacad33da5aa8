// The confirmation key on POSIX: one key from the controlling terminal in
// raw mode.
#include "cli/key_read.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace {
constexpr unsigned char ESC = 0x1b;

// How long the rest of a multi-byte key may take to arrive. Terminals send
// an escape sequence in one burst; a lone Esc is followed by silence.
constexpr int SEQUENCE_GAP_MS = 50;

// What a signal handler needs to put the terminal back.
int tty_fd = -1;
struct termios saved_mode;

// Signals that end the process while it waits; each restores the terminal
// before the process goes.
constexpr int ENDING_SIGNALS[] = {SIGTERM, SIGHUP, SIGQUIT, SIGINT};
constexpr int ENDING_SIGNAL_COUNT = sizeof ENDING_SIGNALS / sizeof ENDING_SIGNALS[0];
struct sigaction previous_actions[ENDING_SIGNAL_COUNT];

extern "C" void restore_terminal_and_end(int signal_number)
{
    // Both calls are async-signal-safe. With the default action back in
    // place the re-raised signal ends the process as it would have.
    // Nothing useful can be done here if either fails.
    (void)tcsetattr(tty_fd, TCSANOW, &saved_mode);
    (void)std::signal(signal_number, SIG_DFL);
    (void)raise(signal_number);
}

void catch_ending_signals()
{
    struct sigaction action = {};
    action.sa_handler = restore_terminal_and_end;
    sigemptyset(&action.sa_mask);
    for (int i = 0; i < ENDING_SIGNAL_COUNT; ++i) {
        sigaction(ENDING_SIGNALS[i], &action, &previous_actions[i]);
    }
}

void release_ending_signals()
{
    for (int i = 0; i < ENDING_SIGNAL_COUNT; ++i) {
        sigaction(ENDING_SIGNALS[i], &previous_actions[i], nullptr);
    }
}

// One byte, waiting at most `timeout_ms` (-1: for ever). False on silence,
// end of input or error.
bool next_byte(int timeout_ms, unsigned char& byte)
{
    for (;;) {
        struct pollfd ready = {tty_fd, POLLIN, 0};
        const int polled = poll(&ready, 1, timeout_ms);
        if (polled < 0 && errno == EINTR) {
            continue;
        }
        if (polled <= 0) {
            return false;
        }
        const ssize_t got = read(tty_fd, &byte, 1);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        return got == 1;
    }
}

// After ESC: a lone Esc is 27; a sequence (arrow, function or editing key,
// Alt+key) is read to its end so that none of it is left for the shell, and
// gives 0.
int finish_escape()
{
    unsigned char byte = 0;
    if (!next_byte(SEQUENCE_GAP_MS, byte)) {
        return ESC;
    }
    if (byte == '[') {
        // Control sequence: parameter and intermediate bytes, then one
        // final byte from 0x40 to 0x7e.
        while (next_byte(SEQUENCE_GAP_MS, byte) && !(byte >= 0x40 && byte <= 0x7e)) {
        }
    } else if (byte == 'O') {
        next_byte(SEQUENCE_GAP_MS, byte);  // SS3: one more byte
    }
    return 0;
}

// A UTF-8 character of several bytes has no single code to return: its
// continuation bytes are read and dropped, and it gives 0.
int finish_multibyte(unsigned char lead)
{
    int continuation = lead >= 0xf0 ? 3 : lead >= 0xe0 ? 2 : 1;
    unsigned char byte = 0;
    while (continuation-- > 0 && next_byte(SEQUENCE_GAP_MS, byte)) {
    }
    return 0;
}

int read_one_key()
{
    unsigned char byte = 0;
    if (!next_byte(-1, byte)) {
        return -1;
    }
    if (byte == ESC) {
        return finish_escape();
    }
    if (byte >= 0x80) {
        return finish_multibyte(byte);
    }
    return byte;
}
}  // namespace

int read_confirmation_key()
{
    tty_fd = open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (tty_fd < 0) {
        return -1;
    }
    if (tcgetattr(tty_fd, &saved_mode) != 0) {
        close(tty_fd);
        tty_fd = -1;
        return -1;
    }

    struct termios raw = saved_mode;
    raw.c_lflag &= ~static_cast<tcflag_t>(ECHO | ICANON | ISIG | IEXTEN);
    raw.c_iflag &= ~static_cast<tcflag_t>(IXON | ICRNL | INLCR | IGNCR | ISTRIP);
    raw.c_cc[VMIN] = 1;
    raw.c_cc[VTIME] = 0;

    catch_ending_signals();
    int key = -1;
    // TCSAFLUSH drops keys typed before the prompt appeared: only a key
    // pressed in answer to it counts.
    if (tcsetattr(tty_fd, TCSAFLUSH, &raw) == 0) {
        key = read_one_key();
    }
    // TCSAFLUSH again: whatever else arrived while waiting stays out of the
    // shell.
    tcsetattr(tty_fd, TCSAFLUSH, &saved_mode);
    release_ending_signals();
    close(tty_fd);
    tty_fd = -1;
    return key;
}
