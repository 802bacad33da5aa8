// Volume file access on Windows. The open's sharing mode lets others read
// the file but not write it for as long as the tool holds it. The path is
// the 8-bit text made from the UTF-16 command line (trailer/utf16_text.h);
// it goes back to UTF-16 for the wide API, so any name opens as typed.
#include "trailer/volume_file.h"

#include <cwchar>

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include "trailer/utf16_text.h"

namespace {
HANDLE volume_handle = INVALID_HANDLE_VALUE;

// The longest path the wide API takes, and room for a \\?\UNC\ prefix.
constexpr DWORD PATH_UNITS = 32768;
constexpr DWORD PREFIX_ROOM = 8;
wchar_t typed_path[PATH_UNITS];
wchar_t full_path[PREFIX_ROOM + PATH_UNITS];

bool starts_with(const wchar_t* text, const wchar_t* start)
{
    return std::wcsncmp(text, start, std::wcslen(start)) == 0;
}

// Writes `prefix` so that it ends right before `path`; returns its start.
wchar_t* put_before(wchar_t* path, const wchar_t* prefix)
{
    wchar_t* const start = path - std::wcslen(prefix);
    for (wchar_t* at = start; *prefix != L'\0'; ++at, ++prefix) {
        *at = *prefix;
    }
    return start;
}

// The path to hand to CreateFileW, or nullptr when the text names no file.
// A path whose full form is longer than MAX_PATH opens only with a
// "\\?\" prefix, which takes absolute paths alone: it is made absolute
// first, exactly as Windows would resolve it, and then prefixed.
const wchar_t* openable_path(const char* path)
{
    std::size_t length = 0;
    if (!utf8_to_utf16(path, typed_path, PATH_UNITS, length)) {
        return nullptr;
    }
    wchar_t* const full = full_path + PREFIX_ROOM;
    const DWORD full_length = GetFullPathNameW(typed_path, PATH_UNITS, full, nullptr);
    if (full_length == 0 || full_length >= PATH_UNITS || full_length < MAX_PATH ||
        starts_with(full, L"\\\\?\\") || starts_with(full, L"\\\\.\\")) {
        return typed_path;  // short enough, or already in a device form
    }
    if (starts_with(full, L"\\\\")) {
        // \\server\share\... becomes \\?\UNC\server\share\...
        return put_before(full + 2, L"\\\\?\\UNC\\");
    }
    return put_before(full, L"\\\\?\\");
}
}  // namespace

bool volume_open(const char* path)
{
    const wchar_t* const wide = openable_path(path);
    if (wide == nullptr) {
        return false;
    }
    // No security attributes: the handle is not inherited.
    const HANDLE file = CreateFileW(wide, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
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
