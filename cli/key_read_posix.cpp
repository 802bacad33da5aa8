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

// What the signal handlers need to put the terminal back, and to make it
// raw again when the tool is continued after a stop.
int tty_fd = -1;
struct termios saved_mode;
struct termios raw_mode;
volatile std::sig_atomic_t waiting_in_raw_mode = 0;

// While the key is awaited every signal that ends the process restores the
// terminal first, and a stop restores it for as long as the tool is
// stopped. A signal that was ignored when the tool started stays ignored.
struct sigaction previous_actions[NSIG];
bool caught[NSIG];

// Signals whose default action leaves the process running or stops it, and
// those that cannot be caught: they need no handler to end the process.
bool default_ends_process(int signal_number)
{
    switch (signal_number) {
    case SIGKILL:
    case SIGSTOP:
    case SIGCHLD:
    case SIGCONT:
    case SIGURG:
    case SIGWINCH:
    case SIGTSTP:
    case SIGTTIN:
    case SIGTTOU:
        return false;
    default:
#ifdef SIGINFO
        // BSD and macOS: a status request, ignored by default.
        return signal_number != SIGINFO;
#else
        return true;
#endif
    }
}

extern "C" void restore_terminal_and_end(int signal_number)
{
    // Both calls are async-signal-safe. With the default action back in
    // place the re-raised signal ends the process as it would have.
    // Nothing useful can be done here if either fails.
    (void)tcsetattr(tty_fd, TCSANOW, &saved_mode);
    (void)std::signal(signal_number, SIG_DFL);
    (void)raise(signal_number);
}

extern "C" void back_to_raw_mode(int /*signal_number*/)
{
    if (waiting_in_raw_mode != 0) {
        const int saved_errno = errno;
        (void)tcsetattr(tty_fd, TCSANOW, &raw_mode);
        errno = saved_errno;
    }
}

// Ctrl+Z from outside or a job-control stop: the shell gets its terminal
// back as it was while the tool is stopped, and the wait for the key goes
// on in raw mode once it is continued.
extern "C" void restore_terminal_and_stop(int signal_number)
{
    const int saved_errno = errno;
    (void)tcsetattr(tty_fd, TCSANOW, &saved_mode);
    struct sigaction stop = {};
    stop.sa_handler = SIG_DFL;
    sigemptyset(&stop.sa_mask);
    struct sigaction mine = {};
    (void)sigaction(signal_number, &stop, &mine);
    sigset_t this_signal;
    sigemptyset(&this_signal);
    sigaddset(&this_signal, signal_number);
    (void)raise(signal_number);
    // The process stops here, as the signal is let through, until SIGCONT.
    (void)sigprocmask(SIG_UNBLOCK, &this_signal, nullptr);
    (void)sigprocmask(SIG_BLOCK, &this_signal, nullptr);
    (void)sigaction(signal_number, &mine, nullptr);
    errno = saved_errno;
    back_to_raw_mode(SIGCONT);
}

void catch_signal(int signal_number, void (*handler)(int))
{
    struct sigaction previous = {};
    if (sigaction(signal_number, nullptr, &previous) != 0 || previous.sa_handler == SIG_IGN) {
        return;
    }
    struct sigaction action = {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    if (sigaction(signal_number, &action, nullptr) == 0) {
        previous_actions[signal_number] = previous;
        caught[signal_number] = true;
    }
}

void catch_signals()
{
    for (int signal_number = 1; signal_number < NSIG; ++signal_number) {
        if (signal_number == SIGTSTP) {
            catch_signal(signal_number, restore_terminal_and_stop);
        } else if (signal_number == SIGCONT) {
            catch_signal(signal_number, back_to_raw_mode);
        } else if (default_ends_process(signal_number)) {
            catch_signal(signal_number, restore_terminal_and_end);
        }
    }
}

void release_signals()
{
    for (int signal_number = 1; signal_number < NSIG; ++signal_number) {
        if (caught[signal_number]) {
            (void)sigaction(signal_number, &previous_actions[signal_number], nullptr);
            caught[signal_number] = false;
        }
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

    raw_mode = saved_mode;
    raw_mode.c_lflag &= ~static_cast<tcflag_t>(ECHO | ICANON | ISIG | IEXTEN);
    raw_mode.c_iflag &= ~static_cast<tcflag_t>(IXON | ICRNL | INLCR | IGNCR | ISTRIP);
    raw_mode.c_cc[VMIN] = 1;
    raw_mode.c_cc[VTIME] = 0;

    catch_signals();
    int key = -1;
    waiting_in_raw_mode = 1;
    // TCSAFLUSH drops keys typed before the prompt appeared: only a key
    // pressed in answer to it counts.
    if (tcsetattr(tty_fd, TCSAFLUSH, &raw_mode) == 0) {
        key = read_one_key();
    }
    waiting_in_raw_mode = 0;
    // TCSAFLUSH again: whatever else arrived while waiting stays out of the
    // shell.
    tcsetattr(tty_fd, TCSAFLUSH, &saved_mode);
    release_signals();
    close(tty_fd);
    tty_fd = -1;
    return key;
}
