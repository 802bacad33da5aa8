#include "trailer/trailer_block.h"

#include <cstring>

unsigned char trailer_block[TRAILER_SIZE];

namespace {
constexpr std::size_t FIRST_FIELD = 4;
constexpr std::size_t SECOND_FIELD = 8;
constexpr std::size_t FIELD_SIZE = 2;
constexpr std::size_t REST = 12;    // first byte after the damaged header
constexpr std::size_t DROPPED = 4;  // bytes removed, padded at the end
}  // namespace

bool trailer_is_broken(const unsigned char (&block)[TRAILER_SIZE])
{
    // Compared byte by byte: the fields are never read as numbers, so byte
    // order does not matter.
    return std::memcmp(block + FIRST_FIELD, block + FIRST_FIELD + FIELD_SIZE, FIELD_SIZE) == 0 &&
           std::memcmp(block + SECOND_FIELD, block + SECOND_FIELD + FIELD_SIZE, FIELD_SIZE) == 0;
}

void repair_trailer(unsigned char (&block)[TRAILER_SIZE])
{
    // The second field moves over the copy of the first; this must happen
    // before the shift below overwrites bytes 8-9.
    std::memcpy(block + FIRST_FIELD + FIELD_SIZE, block + SECOND_FIELD, FIELD_SIZE);
    // Source and destination overlap, hence memmove.
    std::memmove(block + SECOND_FIELD, block + REST, TRAILER_SIZE - REST);
    std::memset(block + TRAILER_SIZE - DROPPED, 0, DROPPED);
}
