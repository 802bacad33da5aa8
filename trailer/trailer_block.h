// The trailer block: the last 2048 bytes of a volume file, the damage
// signature and the repair. Pure computation on memory; no I/O.
#pragma once

#include <cstddef>

constexpr std::size_t TRAILER_SIZE = 2048;

// The one program-wide copy of the block. The old contents are not kept
// anywhere else.
extern unsigned char trailer_block[TRAILER_SIZE];

// True when the two 2-byte fields at offsets 4 and 8 are each stored twice
// (bytes 4-5 equal 6-7 and bytes 8-9 equal 10-11). Nothing else is examined.
bool trailer_is_broken(const unsigned char (&block)[TRAILER_SIZE]);

// Drops the two copies (bytes 6-7 and 10-11), closes the gaps and pads the
// end with four zero bytes. Does not test the signature itself.
void repair_trailer(unsigned char (&block)[TRAILER_SIZE]);
