#include <gtest/gtest.h>

#include <cstddef>

#include "block_fixtures.h"
#include "trailer/trailer_block.h"

namespace {

struct SignatureCase {
    const char* name;
    std::size_t changed_byte;  // 0: none
    unsigned char value;
    bool broken;
};

void PrintTo(const SignatureCase& c, std::ostream* os)
{
    *os << c.name;
}

class Signature : public ::testing::TestWithParam<SignatureCase> {};

TEST_P(Signature, DependsOnlyOnTheTwoPairs)
{
    Block block = damaged_example();
    if (GetParam().changed_byte != 0) {
        block[GetParam().changed_byte] = GetParam().value;
    }
    EXPECT_EQ(trailer_is_broken(as_buffer(block)), GetParam().broken);
}

INSTANTIATE_TEST_SUITE_P(
    Trailer, Signature,
    ::testing::Values(SignatureCase{"both_pairs_match", 0, 0, true},
                      SignatureCase{"first_pair_low_byte_differs", 6, 0x00, false},
                      SignatureCase{"first_pair_high_byte_differs", 7, 0x00, false},
                      SignatureCase{"second_pair_low_byte_differs", 10, 0x00, false},
                      SignatureCase{"second_pair_high_byte_differs", 11, 0x00, false},
                      // Bytes outside 4..11 play no part.
                      SignatureCase{"leading_bytes_ignored", 0, 0xFF, true},
                      SignatureCase{"byte_3_ignored", 3, 0xFF, true},
                      SignatureCase{"byte_12_ignored", 12, 0xFF, true},
                      SignatureCase{"last_byte_ignored", 2047, 0x00, true}),
    [](const auto& test) { return std::string(test.param.name); });

TEST(Trailer, AllZeroBlockIsBrokenAndStaysZero)
{
    Block block{};
    EXPECT_TRUE(trailer_is_broken(as_buffer(block)));
    repair_trailer(as_buffer(block));
    EXPECT_EQ(block, Block{});
}

TEST(Trailer, RepairOfTheWorkedExample)
{
    Block block = damaged_example();
    repair_trailer(as_buffer(block));

    const unsigned char head[11] = {0x01, 0x02, 0x03, 0x04, 0xAA, 0xBB,
                                    0xCC, 0xDD, 0x10, 0x11, 0x12};
    for (std::size_t i = 0; i < 11; ++i) {
        EXPECT_EQ(block[i], head[i]) << "byte " << i;
    }
    const unsigned char tail[8] = {0xF1, 0xF2, 0xF3, 0xF4, 0, 0, 0, 0};
    for (std::size_t i = 0; i < 8; ++i) {
        EXPECT_EQ(block[2040 + i], tail[i]) << "byte " << 2040 + i;
    }
    EXPECT_EQ(block, repaired_from(damaged_example()));
}

TEST(Trailer, RepairKeepsLeadingBytesAndLosesNothingElse)
{
    // Every byte distinct from its neighbours, so a shift by the wrong
    // amount or a copy in the wrong direction shows.
    Block block{};
    for (std::size_t i = 0; i < TRAILER_SIZE; ++i) {
        block[i] = static_cast<unsigned char>(i * 31 + 5);
    }
    const Block old = block;
    repair_trailer(as_buffer(block));
    for (std::size_t i = 0; i < 6; ++i) {
        EXPECT_EQ(block[i], old[i]) << "byte " << i;
    }
    EXPECT_EQ(block[6], old[8]);
    EXPECT_EQ(block[7], old[9]);
    EXPECT_EQ(block[8], old[12]);
    EXPECT_EQ(block[2043], old[2047]);
    EXPECT_EQ(block, repaired_from(old));
}

TEST(Trailer, RepairIsNotGuardedAgainstASecondApplication)
{
    // After one repair bytes 4-7 read AA BB AA BB and 8-11 CC DD CC DD
    // again, so the block still looks broken and a second repair shifts it
    // once more. The driver repairs at most once a run.
    Block block{};
    const unsigned char head[16] = {1,    2,    3,    4,    0xAA, 0xBB, 0xAA, 0xBB,
                                    0xAA, 0xBB, 0xCC, 0xDD, 0xCC, 0xDD, 0xCC, 0xDD};
    for (std::size_t i = 0; i < 16; ++i) {
        block[i] = head[i];
    }
    repair_trailer(as_buffer(block));
    EXPECT_TRUE(trailer_is_broken(as_buffer(block)));
    const Block once = block;
    repair_trailer(as_buffer(block));
    EXPECT_EQ(block, repaired_from(once));
}

}  // namespace
