// The real binary over many generated volumes: whatever the size, the block
// and the answer, the tool changes nothing but the trailer block, and only
// into its repair; the file keeps its size; message and exit status agree.
//
// Seeded: set VS_RANDOM_SEED to repeat a run; VS_RANDOM_VOLUMES sets how
// many volumes (1000 by default).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>

#include "block_fixtures.h"
#include "cli/messages.h"
#include "pty_session.h"
#include "trailer/locate_trailer.h"
#include "volume_files.h"

namespace {

const std::string TOOL = VOLUME_SALVAGER_BINARY;

unsigned long setting(const char* name, unsigned long otherwise)
{
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0' ? std::strtoul(value, nullptr, 10) : otherwise;
}

enum class Kind { damaged, all_zero, first_pair_only, second_pair_only, random_bytes };

struct Volume {
    std::int64_t size = 0;
    bool sparse = false;  // all holes but the last DATA_TAIL bytes
    Bytes written;        // the bytes from `data_start` to the end
    std::int64_t data_start = 0;
    bool broken = false;
};

constexpr std::int64_t KIB = 1024;
constexpr std::int64_t DATA_TAIL = 64 * KIB;
constexpr std::int64_t BLOCK = static_cast<std::int64_t>(TRAILER_SIZE);

class Generator {
  public:
    explicit Generator(unsigned long seed) : random_(seed) {}

    std::int64_t pick(std::int64_t low, std::int64_t high)  // both included
    {
        return std::uniform_int_distribution<std::int64_t>(low, high)(random_);
    }
    unsigned char byte()
    {
        return static_cast<unsigned char>(random_() & 0xFF);
    }
    // Volume contents, eight random bytes at a time.
    void fill(Bytes& bytes)
    {
        for (std::size_t at = 0; at < bytes.size(); at += 8) {
            const std::uint64_t word = random_();
            std::memcpy(bytes.data() + at, &word, std::min<std::size_t>(8, bytes.size() - at));
        }
    }

    std::int64_t size()
    {
        const std::int64_t roll = pick(0, 99);
        if (roll < 4) {
            return pick(0, BLOCK - 1);  // too short for a trailer block
        }
        if (roll < 10) {
            return BLOCK;
        }
        if (roll < 90) {
            return pick(BLOCK + 1, 64 * KIB);
        }
        return pick(64 * KIB, 4 * KIB * KIB);
    }

    void fill_block(unsigned char* block, Kind kind)
    {
        for (std::size_t i = 0; i < TRAILER_SIZE; ++i) {
            block[i] = kind == Kind::all_zero ? 0 : byte();
        }
        if (kind == Kind::damaged || kind == Kind::first_pair_only) {
            block[6] = block[4];
            block[7] = block[5];
        }
        if (kind == Kind::damaged || kind == Kind::second_pair_only) {
            block[10] = block[8];
            block[11] = block[9];
        }
        // Keep the one-pair blocks from matching the other pair by chance.
        if (kind == Kind::first_pair_only && block[8] == block[10]) {
            block[10] = static_cast<unsigned char>(block[8] ^ 1);
        }
        if (kind == Kind::second_pair_only && block[4] == block[6]) {
            block[6] = static_cast<unsigned char>(block[4] ^ 1);
        }
    }

    Kind kind()
    {
        const std::int64_t roll = pick(0, 9);
        return roll < 5   ? Kind::damaged
               : roll < 6 ? Kind::all_zero
               : roll < 7 ? Kind::first_pair_only
               : roll < 8 ? Kind::second_pair_only
                          : Kind::random_bytes;
    }

    std::string answer()
    {
        static const char* const others[] = {"y", "n", "\x03", "\x1b[A", "\r", " ", "N"};
        return pick(0, 1) == 0 ? "Y" : others[pick(0, 6)];
    }

  private:
    std::mt19937_64 random_;
};

Volume make_volume(Generator& gen, bool sparse)
{
    Volume v;
    v.sparse = sparse;
    v.size = sparse ? (std::int64_t{4} << 30) + gen.pick(1, 1 << 20) : gen.size();
    v.data_start = sparse ? v.size - DATA_TAIL : 0;
    v.written.resize(static_cast<std::size_t>(v.size - v.data_start));
    gen.fill(v.written);
    if (v.size >= BLOCK) {
        unsigned char* block = v.written.data() + v.written.size() - TRAILER_SIZE;
        gen.fill_block(block, gen.kind());
        v.broken = block[4] == block[6] && block[5] == block[7] && block[8] == block[10] &&
                   block[9] == block[11];
    }
    return v;
}

bool create(const std::string& path, const Volume& v)
{
    if (!v.sparse) {
        return write_file(path, v.written);
    }
    return make_sparse_file(path, v.size) && write_at(path, v.data_start, v.written);
}

// The file as it must be after the run.
Bytes expected_tail(const Volume& v, bool repaired)
{
    Bytes want = v.written;
    if (repaired) {
        Block old;
        std::copy(want.end() - BLOCK, want.end(), old.begin());
        const Block fixed = repaired_from(old);
        std::copy(fixed.begin(), fixed.end(), want.end() - BLOCK);
    }
    return want;
}

// The holes of a sparse volume read as zeros, a megabyte at a time.
bool holes_still_zero(const std::string& path, std::int64_t end)
{
    constexpr std::size_t CHUNK = 1 << 20;
    const Bytes zeros(CHUNK, 0);
    for (std::int64_t at = 0; at < end; at += static_cast<std::int64_t>(CHUNK)) {
        const std::size_t count = static_cast<std::size_t>(
            std::min<std::int64_t>(static_cast<std::int64_t>(CHUNK), end - at));
        const Bytes got = read_at(path, at, count);
        if (got.size() != count || std::memcmp(got.data(), zeros.data(), count) != 0) {
            return false;
        }
    }
    return true;
}

TEST(RandomizedVolumes, OnlyTheTrailerBlockEverChanges)
{
    const unsigned long seed = setting("VS_RANDOM_SEED", std::random_device{}());
    const unsigned long count = setting("VS_RANDOM_VOLUMES", 1000);
    std::printf("seed %lu, %lu volumes (repeat with VS_RANDOM_SEED=%lu)\n", seed, count, seed);
    Generator gen(seed);
    char pattern[] = "random-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    const std::string path = std::string(pattern) + "/volume.pgd";
    const std::string prompt = PROMPT;

    int repaired_count = 0;
    for (unsigned long i = 0; i < count && !HasFailure(); ++i) {
        // A few sparse volumes past 4 GiB, spread over the run.
        const bool sparse = count >= 3 && i % (count / 3) == 1;
        const Volume v = make_volume(gen, sparse);
        const std::string answer = v.broken ? gen.answer() : "";
        SCOPED_TRACE("volume " + std::to_string(i) + ": " + std::to_string(v.size) + " bytes" +
                     (v.broken ? ", broken, answer " + std::to_string(answer[0]) : ""));
        ASSERT_TRUE(create(path, v));

        TerminalRun run;
        start_in_terminal(run, {TOOL, path});
        if (v.broken) {
            ASSERT_TRUE(wait_for(run, prompt)) << run.seen;
            ASSERT_TRUE(wait_for_key_read(run));
            type_keys(run, answer);
        }
        ASSERT_TRUE(wait_for_exit(run)) << run.seen;

        const bool repair = v.broken && answer == "Y";
        std::string output;
        int status = 0;
        if (v.size < BLOCK) {
            output = SEEK_FAILED_MESSAGE;
            status = 18;
        } else if (!v.broken) {
            output = NOT_BROKEN;
        } else {
            output = prompt + (repair ? std::string(ACCEPTED) + SUCCESS : std::string(DECLINED));
        }
        repaired_count += repair ? 1 : 0;
        EXPECT_EQ(after_banner(run.seen), output);
        EXPECT_EQ(exit_code(run.wait_status), status);
        EXPECT_EQ(file_size(path), v.size);
        EXPECT_EQ(read_at(path, v.data_start, v.written.size()), expected_tail(v, repair));
        if (v.sparse) {
            EXPECT_TRUE(holes_still_zero(path, v.data_start));
        }
    }
    std::printf("%d of %lu volumes repaired\n", repaired_count, count);
    std::filesystem::remove_all(pattern);
}

}  // namespace
