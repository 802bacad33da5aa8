// Volume file access on POSIX systems (Linux, macOS, the BSDs).
//
// POSIX has no sharing modes; other writers are kept out with an advisory
// whole-file write lock taken without waiting. Every copy of this tool takes
// the same lock, so a second one is refused while the first holds the file.
// Programs that do not take advisory locks are not stopped by it.
#include "trailer/volume_file.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

static_assert(sizeof(off_t) == 8, "volume files past 2 GiB need 64-bit file offsets");

namespace {
int volume_handle = -1;

bool lock_held_elsewhere(int error)
{
    return error == EAGAIN || error == EACCES || error == EWOULDBLOCK;
}

// Takes the write lock without waiting. Only a lock held by someone else
// refuses the open; a file system that offers no locks at all leaves the
// file usable, as on a system without them.
bool take_write_lock(int fd)
{
#ifdef F_OFD_SETLK
    // An open file description lock belongs to this open file, not to the
    // process, and is released by the close.
    struct flock whole_file = {};
    whole_file.l_type = F_WRLCK;
    whole_file.l_whence = SEEK_SET;
    whole_file.l_start = 0;
    whole_file.l_len = 0;
    if (fcntl(fd, F_OFD_SETLK, &whole_file) == 0) {
        return true;
    }
    if (lock_held_elsewhere(errno)) {
        return false;
    }
    // The kernel or file system lacks these locks: try flock instead.
#endif
    if (flock(fd, LOCK_EX | LOCK_NB) == 0) {
        return true;
    }
    return !lock_held_elsewhere(errno);
}
}  // namespace

bool volume_open(const char* path)
{
    const int fd = open(path, O_RDWR | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        return false;
    }
    struct stat info = {};
    // A directory cannot be opened for writing, but some systems allow it
    // for other file types that hold no volume; only regular files and block
    // devices have a trailer to find.
    if (fstat(fd, &info) != 0 || !(S_ISREG(info.st_mode) || S_ISBLK(info.st_mode)) ||
        !take_write_lock(fd)) {
        close(fd);
        return false;
    }
    volume_handle = fd;
    return true;
}

std::int64_t volume_seek(std::int64_t offset, SeekFrom origin)
{
    const int whence = origin == SeekFrom::end ? SEEK_END : SEEK_CUR;
    return lseek(volume_handle, static_cast<off_t>(offset), whence);
}

std::int64_t volume_read(unsigned char* buffer, std::size_t size)
{
    return read(volume_handle, buffer, size);
}

std::int64_t volume_write(const unsigned char* buffer, std::size_t size)
{
    return write(volume_handle, buffer, size);
}

bool volume_flush()
{
#ifdef F_FULLFSYNC
    // macOS: fsync alone leaves the data in the drive's cache.
    if (fcntl(volume_handle, F_FULLFSYNC) == 0) {
        return true;
    }
#endif
    return fsync(volume_handle) == 0;
}

int volume_close()
{
    const int fd = volume_handle;
    volume_handle = -1;
    return close(fd) == 0 ? 0 : -1;
}
