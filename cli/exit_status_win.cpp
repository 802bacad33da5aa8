#include "cli/exit_status.h"

// Windows exit codes are 32 bits wide, but 259 is STILL_ACTIVE, which a
// program polling for the end reads as "still running". A status above
// 255 (an open failure of a long path) is reported as 255, as on POSIX;
// -1 from a failed close reaches the system as 0xFFFFFFFF.
int exit_status_for_system(int run_result)
{
    constexpr int HIGHEST = 255;
    return run_result > HIGHEST ? HIGHEST : run_result;
}
