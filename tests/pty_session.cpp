#include "pty_session.h"

#include "volume_files.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <iterator>
#include <poll.h>
#include <pty.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

[[noreturn]] void exec_or_die(const std::vector<std::string>& argv)
{
    std::vector<char*> args;
    args.reserve(argv.size() + 1);
    std::transform(argv.begin(), argv.end(), std::back_inserter(args),
                   [](const std::string& a) { return const_cast<char*>(a.c_str()); });
    args.push_back(nullptr);
    execvp(args[0], args.data());
    _exit(127);
}

void open_onto(const char* path, int flags, int target)
{
    const int fd = open(path, flags, 0644);
    if (fd < 0 || dup2(fd, target) < 0) {
        _exit(126);
    }
    if (fd != target) {
        close(fd);
    }
}

// In the child, before exec: standard input and output as asked.
void apply_redirects(const Redirects& redirects)
{
    if (redirects.stdin_path != nullptr) {
        open_onto(redirects.stdin_path, O_RDONLY, STDIN_FILENO);
    }
    if (redirects.stdout_path != nullptr) {
        open_onto(redirects.stdout_path, O_WRONLY | O_CREAT | O_TRUNC, STDOUT_FILENO);
    }
    if (redirects.stdout_fd >= 0 && dup2(redirects.stdout_fd, STDOUT_FILENO) < 0) {
        _exit(126);
    }
    if (redirects.close_stdout) {
        close(STDOUT_FILENO);
    }
}

long long now_ms()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

// Reads what the terminal shows within `timeout_ms`: the number of bytes,
// 0 when nothing came, -1 at the end of output.
long read_some(TerminalRun& run, int timeout_ms)
{
    struct pollfd ready = {run.master, POLLIN, 0};
    if (poll(&ready, 1, timeout_ms) <= 0) {
        return 0;
    }
    char buffer[4096];
    const ssize_t got = read(run.master, buffer, sizeof buffer);
    if (got <= 0) {
        return -1;
    }
    // The terminal writes each line break as CR LF; a CR at the end of the
    // last chunk may meet its LF only now.
    std::size_t at = run.seen.empty() ? 0 : run.seen.size() - 1;
    run.seen.append(buffer, static_cast<std::size_t>(got));
    while ((at = run.seen.find("\r\n", at)) != std::string::npos) {
        run.seen.erase(at, 1);
    }
    return got;
}

// Once the program has ended: records the mode it left, lets go of the
// terminal and reads the rest of what it wrote, up to the end of output that
// the terminal reports when no one holds its other side any more.
void end_session(TerminalRun& run)
{
    run.mode_after = terminal_mode(run);
    close(run.slave);
    const long long deadline = now_ms() + 2000;
    while (read_some(run, 100) >= 0 && now_ms() < deadline) {
    }
    close(run.master);
    run.master = run.slave = -1;
}

bool reap(TerminalRun& run, int options)
{
    if (run.wait_status != -1) {
        return true;
    }
    int status = 0;
    if (waitpid(run.pid, &status, options) == run.pid) {
        run.wait_status = status;
        return true;
    }
    return false;
}

}  // namespace

void start_in_terminal(TerminalRun& run, const std::vector<std::string>& argv,
                       const Redirects& redirects)
{
    int go[2];
    if (pipe(go) != 0) {
        std::abort();
    }
    run.pid = forkpty(&run.master, nullptr, nullptr, nullptr);
    if (run.pid < 0) {
        std::abort();
    }
    if (run.pid == 0) {
        // Wait until the parent has recorded the terminal's mode.
        close(go[1]);
        char byte = 0;
        if (read(go[0], &byte, 1) != 1) {
            _exit(125);
        }
        close(go[0]);
        apply_redirects(redirects);
        exec_or_die(argv);
    }
    close(go[0]);
    // Holding the terminal open keeps its mode from being reset when the
    // program closes its side, so the mode it leaves behind can be read.
    run.slave = open(ptsname(run.master), O_RDWR | O_NOCTTY);
    run.mode_before = terminal_mode(run);
    if (write(go[1], "g", 1) != 1) {
        std::abort();
    }
    close(go[1]);
}

struct termios terminal_mode(const TerminalRun& run)
{
    struct termios mode {};
    tcgetattr(run.slave, &mode);
    return mode;
}

bool same_mode(const struct termios& a, const struct termios& b)
{
    return a.c_iflag == b.c_iflag && a.c_oflag == b.c_oflag && a.c_cflag == b.c_cflag &&
           a.c_lflag == b.c_lflag && std::memcmp(a.c_cc, b.c_cc, sizeof a.c_cc) == 0;
}

bool wait_for(TerminalRun& run, const std::string& text, int timeout_ms)
{
    const long long deadline = now_ms() + timeout_ms;
    while (run.seen.find(text) == std::string::npos) {
        const long long left = deadline - now_ms();
        if (left <= 0 || read_some(run, static_cast<int>(left < 100 ? left : 100)) < 0) {
            return run.seen.find(text) != std::string::npos;
        }
    }
    return true;
}

bool wait_for_key_read(const TerminalRun& run, int timeout_ms)
{
    const long long deadline = now_ms() + timeout_ms;
    while ((terminal_mode(run).c_lflag & ECHO) != 0) {
        if (now_ms() >= deadline) {
            return false;
        }
        sleep_ms(2);
    }
    return true;
}

void type_keys(TerminalRun& run, const std::string& keys)
{
    if (write(run.master, keys.data(), keys.size()) != static_cast<ssize_t>(keys.size())) {
        std::abort();
    }
}

bool still_running(TerminalRun& run)
{
    return !reap(run, WNOHANG);
}

bool wait_for_exit(TerminalRun& run, int timeout_ms)
{
    const long long deadline = now_ms() + timeout_ms;
    while (now_ms() < deadline) {
        read_some(run, 5);
        if (reap(run, WNOHANG)) {
            end_session(run);
            return true;
        }
    }
    kill(run.pid, SIGKILL);
    reap(run, 0);
    end_session(run);
    return false;
}

DetachedRun run_detached(const std::vector<std::string>& argv, const Redirects& redirects)
{
    int out[2];
    int err[2];
    if (pipe(out) != 0 || pipe(err) != 0) {
        std::abort();
    }
    const pid_t pid = fork();
    if (pid == 0) {
        setsid();  // a new session has no controlling terminal
        open_onto("/dev/null", O_RDONLY, STDIN_FILENO);
        dup2(out[1], STDOUT_FILENO);
        dup2(err[1], STDERR_FILENO);
        close(out[0]);
        close(err[0]);
        close(out[1]);
        close(err[1]);
        apply_redirects(redirects);
        exec_or_die(argv);
    }
    close(out[1]);
    close(err[1]);
    DetachedRun run;
    struct pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
    int open_pipes = 2;
    while (open_pipes > 0 && poll(fds, 2, 10000) > 0) {
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0) {
                continue;
            }
            char buffer[4096];
            const ssize_t got = read(fds[i].fd, buffer, sizeof buffer);
            if (got <= 0) {
                close(fds[i].fd);
                fds[i].fd = -1;
                --open_pipes;
            } else {
                (i == 0 ? run.out : run.err).append(buffer, static_cast<std::size_t>(got));
            }
        }
    }
    waitpid(pid, &run.wait_status, 0);
    return run;
}

int exit_code(int wait_status)
{
    return WIFEXITED(wait_status) ? WEXITSTATUS(wait_status) : -1000 - WTERMSIG(wait_status);
}

std::string after_banner(const std::string& shown)
{
    const std::string last_line = "Tested on PDP 8.0 Volumes.\n";
    const std::size_t at = shown.find(last_line);
    return at == std::string::npos ? "<no banner>" : shown.substr(at + last_line.size());
}
