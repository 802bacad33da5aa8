#include "cli/driver.h"

#include <climits>
#include <cstdint>
#include <cstdio>

#include "cli/console_echo.h"
#include "cli/key_read.h"
#include "cli/messages.h"
#include "cli/path_text.h"
#include "trailer/locate_trailer.h"
#include "trailer/trailer_block.h"
#include "trailer/volume_file.h"

namespace {
constexpr int CONFIRM_KEY = 'Y';
constexpr std::int64_t BLOCK = static_cast<std::int64_t>(TRAILER_SIZE);

constexpr int length_of(const char* text)
{
    int length = 0;
    while (text[length] != '\0') {
        ++length;
    }
    return length;
}

// Prints a message and returns its number of characters, each line break
// counted once however the platform writes it. The count is the message's
// own, not what the stream managed to write: an exit status follows the
// outcome, never whether standard output could take the text.
int say(const char* text)
{
    (void)std::fputs(text, stdout);
    return length_of(text);
}

// "<path>": Open failed. Its status counts the path in the characters the
// user typed.
int say_open_failed(const char* path)
{
    say(OPEN_FAILED_BEFORE);
    print_path(path);
    say(OPEN_FAILED_AFTER);
    const std::size_t length = path_length(path);
    constexpr int FIXED = length_of(OPEN_FAILED_BEFORE) + length_of(OPEN_FAILED_AFTER);
    return length > static_cast<std::size_t>(INT_MAX - FIXED) ? INT_MAX
                                                              : FIXED + static_cast<int>(length);
}

// Everything between the open and the close. Returns 0 for an outcome that
// is no failure, otherwise the length of the failure's message.
int check_and_repair()
{
    constexpr int SEEK_FAILED_LENGTH = length_of(SEEK_FAILED_MESSAGE);
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
    echo_on_console(PROMPT);
    if (read_confirmation_key() != CONFIRM_KEY) {
        echo_on_console(DECLINED_ON_CONSOLE);
        say(DECLINED);
        return 0;
    }
    echo_on_console(ACCEPTED_ON_CONSOLE);
    say(ACCEPTED);

    repair_trailer(trailer_block);
    // The file is measured again, and must still be the file that was read;
    // if not, the repaired block stays in memory and the file is left as it
    // was.
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
        return say_open_failed(path);
    }
    const int outcome = check_and_repair();
    return volume_close() == 0 ? outcome : -1;
}
