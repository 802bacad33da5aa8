// Process start and end on POSIX systems.
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

#include "cli/driver.h"
#include "cli/exit_status.h"

namespace {
// A descriptor among 0, 1 and 2 that was closed when the tool started would
// be handed to the next file opened: the volume. /dev/null takes its place,
// so that text meant for standard output can never land in the volume.
void open_standard_descriptors()
{
    for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
        if (fcntl(fd, F_GETFD) == -1 && errno == EBADF) {
            // Opens at the lowest free descriptor, which is this one.
            (void)open("/dev/null", O_RDWR);
        }
    }
}
}  // namespace

int main(int argc, char** argv)
{
    open_standard_descriptors();
    // A write past the file size limit, or to a reader that has gone,
    // fails with an error that the tool reports, instead of killing it.
    (void)std::signal(SIGXFSZ, SIG_IGN);
    (void)std::signal(SIGPIPE, SIG_IGN);
    // Returning from main flushes standard output, so a last message with
    // no line break ("Ok.") is still shown.
    return exit_status_for_system(run(argc, argv));
}
