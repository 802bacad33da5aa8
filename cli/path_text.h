// The volume path as the user typed it, for the open-failure line. One
// implementation per platform: path_text_posix.cpp, path_text_win.cpp.
#pragma once

#include <cstddef>

// Writes the path to standard output so that it reads as typed.
void print_path(const char* path);

// The path's length in the characters that the open-failure status counts.
std::size_t path_length(const char* path);
