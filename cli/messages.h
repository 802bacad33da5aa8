// Everything the tool says on standard output, apart from the trailer
// locator's own "file seek failed." line.
#pragma once

#define VOLUME_SALVAGER_NAME "VolumeSalvager"

// Five lines, the first stamped with the build's date and time. Defined in
// one place so that every part of the program shows the same stamp.
extern const char BANNER[];

constexpr char USAGE[] = "Usage: " VOLUME_SALVAGER_NAME " <pgpdisk-filename>\n";
constexpr char OPEN_FAILED_FORMAT[] = "\"%s\": Open failed.\n";
constexpr char READ_FAILED[] = "Read failed.\n";
constexpr char NOT_BROKEN[] = "Terminating: This File Is Not Broken ?\n";
constexpr char PROMPT[] =
    "This is broken PGP volume.\nPress 'Y' for Restore or other key to cancel:";
// The leading Y or N stands in for the echo of the key, which the key read
// does not give.
constexpr char ACCEPTED[] = "Y\nRestoring..";
constexpr char DECLINED[] = "N\nRestore Aborted.\n";
constexpr char WRITE_FAILED[] = "Write failed.\n";
constexpr char SUCCESS[] = "Ok.";
