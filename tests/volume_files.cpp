#include "volume_files.h"

#include <chrono>
#include <fcntl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

bool write_file(const std::string& path, const Bytes& bytes)
{
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        return false;
    }
    const bool written =
        write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
    return close(fd) == 0 && written;
}

Bytes read_file(const std::string& path)
{
    const std::int64_t size = file_size(path);
    return size < 0 ? Bytes{} : read_at(path, 0, static_cast<std::size_t>(size));
}

bool make_sparse_file(const std::string& path, std::int64_t size)
{
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        return false;
    }
    const bool sized = ftruncate(fd, static_cast<off_t>(size)) == 0;
    return close(fd) == 0 && sized;
}

bool write_at(const std::string& path, std::int64_t offset, const Bytes& bytes)
{
    const int fd = open(path.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    const bool written = pwrite(fd, bytes.data(), bytes.size(), static_cast<off_t>(offset)) ==
                         static_cast<ssize_t>(bytes.size());
    return close(fd) == 0 && written;
}

Bytes read_at(const std::string& path, std::int64_t offset, std::size_t count)
{
    Bytes bytes(count);
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return Bytes{};
    }
    std::size_t got = 0;
    while (got < count) {
        const ssize_t n = pread(fd, bytes.data() + got, count - got,
                                static_cast<off_t>(offset + static_cast<std::int64_t>(got)));
        if (n <= 0) {
            break;
        }
        got += static_cast<std::size_t>(n);
    }
    close(fd);
    bytes.resize(got);
    return bytes;
}

std::int64_t file_size(const std::string& path)
{
    struct stat info {};
    return stat(path.c_str(), &info) == 0 ? static_cast<std::int64_t>(info.st_size) : -1;
}

void sleep_ms(int ms)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}
