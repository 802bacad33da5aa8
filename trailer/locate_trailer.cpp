#include "trailer/locate_trailer.h"

#include <cstdio>

#include "trailer/trailer_block.h"
#include "trailer/volume_file.h"

namespace {
constexpr std::int64_t BLOCK = static_cast<std::int64_t>(TRAILER_SIZE);

bool position_at_trailer(std::int64_t& trailer_start)
{
    const bool measured_before = trailer_start != TRAILER_NOT_LOCATED;
    if (measured_before && !volume_still_named()) {
        return false;  // renamed over or deleted since the block was read
    }
    const std::int64_t size = volume_seek(0, SeekFrom::end);
    if (size < BLOCK) {  // also covers a failed seek (-1)
        return false;
    }
    const std::int64_t start = volume_seek(-BLOCK, SeekFrom::current);
    if (start != size - BLOCK) {
        return false;
    }
    if (measured_before && trailer_start != start) {
        return false;  // the file changed size since the block was read
    }
    trailer_start = start;
    return true;
}
}  // namespace

bool locate_trailer(std::int64_t& trailer_start)
{
    if (position_at_trailer(trailer_start)) {
        return true;
    }
    // The failure is told by the result; a message that cannot be shown
    // changes nothing about it.
    (void)std::fputs(SEEK_FAILED_MESSAGE, stdout);
    return false;
}
