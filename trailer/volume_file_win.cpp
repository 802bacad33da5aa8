// Volume file access on Windows. The open's sharing mode lets others read
// the file but not write it for as long as the tool holds it.
#include "trailer/volume_file.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

namespace {
HANDLE volume_handle = INVALID_HANDLE_VALUE;
}

bool volume_open(const char* path)
{
    // No security attributes: the handle is not inherited.
    const HANDLE file = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    // Device names such as CON or a named pipe open too, but hold no
    // volume.
    if (GetFileType(file) != FILE_TYPE_DISK) {
        CloseHandle(file);
        return false;
    }
    volume_handle = file;
    return true;
}

std::int64_t volume_seek(std::int64_t offset, SeekFrom origin)
{
    const DWORD method = origin == SeekFrom::end ? FILE_END : FILE_CURRENT;
    const std::uint64_t bits = static_cast<std::uint64_t>(offset);
    LONG high = static_cast<LONG>(bits >> 32);
    // A low word of 0xFFFFFFFF is a legitimate position past 4 GiB; only
    // the error code tells it from a failure.
    SetLastError(NO_ERROR);
    const DWORD low =
        SetFilePointer(volume_handle, static_cast<LONG>(bits & 0xFFFFFFFFu), &high, method);
    if (low == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR) {
        return -1;
    }
    return static_cast<std::int64_t>((static_cast<std::uint64_t>(static_cast<DWORD>(high)) << 32) |
                                     low);
}

std::int64_t volume_read(unsigned char* buffer, std::size_t size)
{
    DWORD moved = 0;
    if (ReadFile(volume_handle, buffer, static_cast<DWORD>(size), &moved, nullptr) == FALSE) {
        return -1;
    }
    return moved;
}

std::int64_t volume_write(const unsigned char* buffer, std::size_t size)
{
    DWORD moved = 0;
    if (WriteFile(volume_handle, buffer, static_cast<DWORD>(size), &moved, nullptr) == FALSE) {
        return -1;
    }
    return moved;
}

// The open shares neither writing nor deleting: while the tool holds the
// file, no one can rename, move or delete it.
bool volume_still_named()
{
    return true;
}

bool volume_flush()
{
    return FlushFileBuffers(volume_handle) != 0;
}

int volume_close()
{
    const HANDLE file = volume_handle;
    volume_handle = INVALID_HANDLE_VALUE;
    return CloseHandle(file) != FALSE ? 0 : -1;
}
