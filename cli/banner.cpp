#include "cli/messages.h"

// __DATE__ and __TIME__ follow SOURCE_DATE_EPOCH when it is set, so a
// reproducible build stamps the same banner.
// clang-format off
const char BANNER[] =
    VOLUME_SALVAGER_NAME ". " __DATE__ " " __TIME__ "\n"
    "Utility, that help you to restore crashed PGP Volume.\n"
    "WARNING! Use this software at Your Own RISK!\n"
    "Written by the VolumeSalvager authors, https://volumesalvager.example/\n"
    "Tested on PDP 8.0 Volumes.\n";
// clang-format on
