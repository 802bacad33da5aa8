#include "cli/exit_status.h"

// POSIX keeps only the low 8 bits of an exit status, so 256 would read as
// success. Anything outside 0..255, -1 from a failed close included, is
// reported as 255.
int exit_status_for_system(int run_result)
{
    constexpr int HIGHEST = 255;
    return run_result < 0 || run_result > HIGHEST ? HIGHEST : run_result;
}
