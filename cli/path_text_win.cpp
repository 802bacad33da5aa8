// Placeholder until wide paths: bytes as on POSIX.
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
