// Finds the trailer block of the open volume file.
#pragma once

#include <cstdint>

// Printed by locate_trailer for every way it can fail.
constexpr char SEEK_FAILED_MESSAGE[] = "file seek failed.\n";

// Marks a trailer start that has not been measured yet.
constexpr std::int64_t TRAILER_NOT_LOCATED = -1;

// Measures the file and positions it at the first byte of its trailer block
// (size - 2048). `trailer_start` carries the block's offset between calls:
// when it is TRAILER_NOT_LOCATED it receives the offset found; otherwise the
// path must still name the open file and the fresh measurement must give the
// same offset, so that a repaired block is never written anywhere but where
// it was read from. Prints SEEK_FAILED_MESSAGE and returns false when the
// file is shorter than one block, a positioning fails, the offset moved, or
// the file is no longer the one named.
bool locate_trailer(std::int64_t& trailer_start);
