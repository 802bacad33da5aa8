#include "cli/driver.h"

#include <cstdint>
#include <cstdio>

#include "cli/key_read.h"
#include "cli/messages.h"
#include "trailer/locate_trailer.h"
#include "trailer/trailer_block.h"
#include "trailer/volume_file.h"

namespace {
constexpr int CONFIRM_KEY = 'Y';
constexpr int SEEK_FAILED_LENGTH = sizeof SEEK_FAILED_MESSAGE - 1;
constexpr std::int64_t BLOCK = static_cast<std::int64_t>(TRAILER_SIZE);

// Returns the number of characters printed, as printf counts them: each
// line break once, however the platform writes it.
int say(const char* text)
{
    return std::printf("%s", text);
}

// Everything between the open and the close. Returns 0 for an outcome that
// is no failure, otherwise the length of the failure's message.
int check_and_repair()
{
    std::int64_t trailer_start = TRAILER_NOT_LOCATED;
    if (!locate_trailer(trailer_start)) {
        return SEEK_FAILED_LENGTH;
    }
    if (volume_read(trailer_block, TRAILER_SIZE) != BLOCK) {
        return say(READ_FAILED);
    }
    if (!trailer_is_broken(trailer_block)) {
        say(NOT_BROKEN);
        return 0;
    }

    say(PROMPT);
    (void)std::fflush(stdout);  // the prompt must show before the wait
    if (read_confirmation_key() != CONFIRM_KEY) {
        say(DECLINED);
        return 0;
    }
    say(ACCEPTED);

    repair_trailer(trailer_block);
    // The file is measured again; if that fails the repaired block stays in
    // memory and the file is left as it was.
    if (!locate_trailer(trailer_start)) {
        return SEEK_FAILED_LENGTH;
    }
    // "Ok." is only said once the block has reached the storage.
    if (volume_write(trailer_block, TRAILER_SIZE) != BLOCK || !volume_flush()) {
        return say(WRITE_FAILED);
    }
    say(SUCCESS);
    return 0;
}
}  // namespace

int run(int argc, const char* const* argv)
{
    say(BANNER);
    if (argc != 2) {
        return say(USAGE);
    }
    const char* path = argv[1];
    if (!volume_open(path)) {
        return std::printf(OPEN_FAILED_FORMAT, path);
    }
    const int outcome = check_and_repair();
    return volume_close() == 0 ? outcome : -1;
}
