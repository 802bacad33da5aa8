// Trailer blocks for tests: the damaged example block and ways to vary it.
#pragma once

#include <array>
#include <cstddef>

#include "trailer/trailer_block.h"

using Block = std::array<unsigned char, TRAILER_SIZE>;

// 01 02 03 04 | AA BB AA BB | CC DD CC DD | then bytes that differ from
// their neighbours, ending F1 F2 F3 F4, so that every shift shows.
inline Block damaged_example()
{
    Block block{};
    for (std::size_t i = 12; i < TRAILER_SIZE; ++i) {
        block[i] = static_cast<unsigned char>(0x10 + i * 7);
    }
    const unsigned char head[12] = {0x01, 0x02, 0x03, 0x04, 0xAA, 0xBB,
                                    0xAA, 0xBB, 0xCC, 0xDD, 0xCC, 0xDD};
    for (std::size_t i = 0; i < 12; ++i) {
        block[i] = head[i];
    }
    block[12] = 0x10;
    block[13] = 0x11;
    block[14] = 0x12;
    block[2044] = 0xF1;
    block[2045] = 0xF2;
    block[2046] = 0xF3;
    block[2047] = 0xF4;
    return block;
}

// The example with its second copy broken: no damage signature.
inline Block sound_example()
{
    Block block = damaged_example();
    block[11] = 0xDE;
    return block;
}

// What the repair must make of `old`, written out independently of the
// code under test.
inline Block repaired_from(const Block& old)
{
    Block result{};
    std::size_t out = 0;
    for (std::size_t in = 0; in < TRAILER_SIZE; ++in) {
        if (in == 6 || in == 7 || in == 10 || in == 11) {
            continue;  // the two copies
        }
        result[out++] = old[in];
    }
    return result;  // value-initialised: the last four bytes stay zero
}

inline unsigned char (&as_buffer(Block& block))[TRAILER_SIZE]
{
    return *reinterpret_cast<unsigned char(*)[TRAILER_SIZE]>(block.data());
}
