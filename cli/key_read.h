// The confirmation key, read from the console itself (never from standard
// input) with no echo and no waiting for Enter. One implementation per
// platform: key_read_posix.cpp, key_read_win.cpp.
#pragma once

// Waits for one key press and returns:
//   the character's code as typed, for a key that produces a character
//   (Ctrl+C arrives as 3 instead of interrupting the process);
//   0 for a key that produces no character, such as an arrow, function or
//   editing key;
//   -1 when there is no console to read.
// The console's previous mode is restored before it returns.
int read_confirmation_key();
