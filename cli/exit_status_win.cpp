#include "cli/exit_status.h"

// Windows exit codes are 32 bits wide: every result passes unchanged, and
// -1 from a failed close reaches the system as 0xFFFFFFFF.
int exit_status_for_system(int run_result)
{
    return run_result;
}
