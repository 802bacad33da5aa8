// Everything the tool says on standard output, apart from the trailer
// locator's own "file seek failed." line.
#pragma once

#define VOLUME_SALVAGER_NAME "VolumeSalvager"

// Five lines, the first stamped with the build's date and time. Defined in
// one place so that every part of the program shows the same stamp.
extern const char BANNER[];

constexpr char USAGE[] = "Usage: " VOLUME_SALVAGER_NAME " <pgpdisk-filename>\n";
// The open-failure line is the path as typed between these two.
constexpr char OPEN_FAILED_BEFORE[] = "\"";
constexpr char OPEN_FAILED_AFTER[] = "\": Open failed.\n";
constexpr char READ_FAILED[] = "Read failed.\n";
constexpr char NOT_BROKEN[] = "Terminating: This File Is Not Broken ?\n";
constexpr char PROMPT[] =
    "This is broken PGP volume.\nPress 'Y' for Restore or other key to cancel:";
// The leading Y or N stands in for the echo of the key, which the key read
// does not give.
constexpr char ACCEPTED[] = "Y\nRestoring..";
constexpr char DECLINED[] = "N\nRestore Aborted.\n";
// What the console shows of the answer when standard output goes elsewhere.
constexpr char ACCEPTED_ON_CONSOLE[] = "Y\n";
constexpr char DECLINED_ON_CONSOLE[] = "N\n";
constexpr char WRITE_FAILED[] = "Write failed.\n";
constexpr char SUCCESS[] = "Ok.";

// Windows, in a console window of the tool's own (started from Explorer):
// shown on the console before the window closes.
constexpr char DROP_HINT[] =
    "\nTo check a volume, drop its file onto " VOLUME_SALVAGER_NAME ".exe in Explorer.\n";
constexpr char CLOSE_WINDOW_PROMPT[] = "\nPress any key to close this window.";
