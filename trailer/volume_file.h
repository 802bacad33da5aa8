// Access to the volume file. One file is open at a time: the program-wide
// volume handle lives inside the platform's implementation
// (volume_file_posix.cpp, volume_file_win.cpp). Nothing here prints except
// locate_trailer.
#pragma once

#include <cstddef>
#include <cstdint>

// Opens an existing file for reading and writing, in binary mode, without
// creating or truncating it, and keeps other writers out while it is open.
// Fails for a missing file, a directory, a file the user may not write and a
// file another process holds for writing.
bool volume_open(const char* path);

enum class SeekFrom { end, current };

// Moves the file position; returns the new position or -1.
std::int64_t volume_seek(std::int64_t offset, SeekFrom origin);

// One request each; the number of bytes moved, or -1.
std::int64_t volume_read(unsigned char* buffer, std::size_t size);
std::int64_t volume_write(const unsigned char* buffer, std::size_t size);

// True while the path given to volume_open still names the open file: it
// was not renamed over, moved away or deleted in the meantime.
bool volume_still_named();

// Makes written data durable on the storage device.
bool volume_flush();

// 0 when the file closed cleanly, -1 otherwise.
int volume_close();
