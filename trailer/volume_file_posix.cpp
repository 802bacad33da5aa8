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
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

static_assert(sizeof(off_t) == 8, "volume files past 2 GiB need 64-bit file offsets");

namespace {
int volume_handle = -1;
const char* volume_path = nullptr;  // as given to volume_open, for the rename check

// A disk device is taken only when nothing else has it: a mounted file
// system lives there otherwise, and a repair would overwrite its end.
#ifdef __linux__
// Linux: O_EXCL on a block device fails (EBUSY) while it is mounted or
// claimed; on any other file it has no effect without O_CREAT.
constexpr int OPEN_FLAGS = O_RDWR | O_CLOEXEC | O_NOCTTY | O_EXCL;
constexpr bool BLOCK_DEVICES_TAKEN = true;
#else
// Elsewhere nothing tells a mounted device from a free one: none is taken.
constexpr int OPEN_FLAGS = O_RDWR | O_CLOEXEC | O_NOCTTY;
constexpr bool BLOCK_DEVICES_TAKEN = false;
#endif

bool holds_volume(const struct stat& info)
{
    // A directory cannot be opened for writing, but some systems allow it
    // for other file types that hold no volume.
    return S_ISREG(info.st_mode) || (BLOCK_DEVICES_TAKEN && S_ISBLK(info.st_mode));
}

// Standard input, output and error are never the volume: text meant for
// them must not land in it, even when one of them was closed at start.
int above_standard_streams(int fd)
{
    if (fd < 0 || fd > STDERR_FILENO) {
        return fd;
    }
    const int moved = fcntl(fd, F_DUPFD_CLOEXEC, STDERR_FILENO + 1);
    close(fd);
    return moved;
}

// A write that crosses the file size limit would stop part-way; it is
// refused whole instead, so the block is either written or left alone.
bool within_file_size_limit(std::size_t size)
{
    struct rlimit limit = {};
    if (getrlimit(RLIMIT_FSIZE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) {
        return true;
    }
    const off_t position = lseek(volume_handle, 0, SEEK_CUR);
    return position >= 0 && static_cast<rlim_t>(position) + size <= limit.rlim_cur;
}

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
    const int fd = above_standard_streams(open(path, OPEN_FLAGS));
    if (fd < 0) {
        return false;
    }
    struct stat info = {};
    if (fstat(fd, &info) != 0 || !holds_volume(info) || !take_write_lock(fd)) {
        close(fd);
        return false;
    }
    volume_handle = fd;
    volume_path = path;
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
    if (!within_file_size_limit(size)) {
        return -1;
    }
    return write(volume_handle, buffer, size);
}

bool volume_still_named()
{
    struct stat named = {};
    struct stat opened = {};
    return stat(volume_path, &named) == 0 && fstat(volume_handle, &opened) == 0 &&
           named.st_dev == opened.st_dev && named.st_ino == opened.st_ino && opened.st_nlink > 0;
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
