// Process start and end on Windows.
#include "cli/driver.h"
#include "cli/exit_status.h"

int main(int argc, char** argv)
{
    // Returning from main flushes standard output, so a last message with
    // no line break ("Ok.") is still shown.
    return exit_status_for_system(run(argc, argv));
}
