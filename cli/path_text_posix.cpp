// On POSIX a path is a string of bytes: it is printed as it came and its
// length is its number of bytes.
#include "cli/path_text.h"

#include <cstdio>
#include <cstring>

void print_path(const char* path)
{
    (void)std::fputs(path, stdout);
}

std::size_t path_length(const char* path)
{
    return std::strlen(path);
}
