// Hands the driver's result to the operating system. One implementation per
// platform: exit_status_posix.cpp, exit_status_win.cpp.
#pragma once

int exit_status_for_system(int run_result);
